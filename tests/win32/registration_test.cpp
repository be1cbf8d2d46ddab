// The uninstall entry and the per-user Run value, read back from the registry.

#include <windows.h>

#include <gtest/gtest.h>

#include "manifest/installation.h"
#include "manifest/update_host.h"
#include "outcome.h"
#include "process_runner.h"
#include "registration/registration.h"
#include "registration/registration_values.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::registration {
namespace {

using testing::OWNER_SID;

manifest::Release fixture_release() {
  const auto release =
      manifest::verify_release_metadata(testing::fixture_text("release-localhost-1.4.2.json"));
  EXPECT_TRUE(release) << testing::outcome(release);
  return release ? *release : manifest::Release{};
}

struct StoredValue {
  LSTATUS status = 0;
  DWORD type = 0;
  std::vector<unsigned char> data;
};

StoredValue read_value(HKEY root, const std::string& key, const std::string& name, DWORD flags) {
  StoredValue value;
  DWORD size = 0;
  value.status = RegGetValueW(root, win::widen(key).c_str(), win::widen(name).c_str(), flags,
                              &value.type, nullptr, &size);
  if (value.status != ERROR_SUCCESS)
    return value;
  value.data.resize(size);
  value.status = RegGetValueW(root, win::widen(key).c_str(), win::widen(name).c_str(), flags,
                              &value.type, value.data.data(), &size);
  value.data.resize(size);
  return value;
}

bool uninstall_key_exists() {
  win::RegistryKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, win::widen(UNINSTALL_KEY).c_str(), 0,
                       KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
}

class UninstallEntry : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(remove_uninstall_entry()); }
  void TearDown() override { EXPECT_TRUE(remove_uninstall_entry()); }
};

TEST_F(UninstallEntry, EveryValueHasItsTypeDataAndByteCount) {
  const auto release = fixture_release();
  ASSERT_TRUE(register_uninstall_entry(release));
  const auto folder = *manifest::installation_folder();
  const auto expected = uninstall_values(
      release, folder, *manifest::updater_runner_path(release.files), manifest::UPDATE_HOST);
  ASSERT_EQ(expected.size(), 10u);
  for (const RegistryValue& value : expected) {
    const auto stored = read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY), value.name,
                                   RRF_RT_ANY | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY);
    ASSERT_EQ(stored.status, ERROR_SUCCESS) << value.name;
    EXPECT_EQ(stored.type, static_cast<DWORD>(value.type)) << value.name;
    EXPECT_EQ(stored.data, value.data) << value.name;
  }
  const auto display = read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY), "DisplayVersion",
                                  RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY);
  EXPECT_EQ(display.data.size(), 12u);  // "1.4.2" and its NUL in UTF-16
  const auto size = read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY), "EstimatedSize",
                               RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY);
  EXPECT_EQ(size.data, reg_dword(6));  // 3 × 2000 bytes
  const auto uninstall = read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY),
                                    "UninstallString", RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY);
  EXPECT_EQ(uninstall.data,
            reg_sz("\"" + *manifest::updater_runner_path(release.files) + "\" --uninstall"));
}

TEST_F(UninstallEntry, RegisteringTwiceOverwritesInPlace) {
  auto release = fixture_release();
  ASSERT_TRUE(register_uninstall_entry(release));
  // A value of our own survives a second registration: the key is not deleted first.
  {
    win::RegistryKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, win::widen(UNINSTALL_KEY).c_str(), 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, key.put()),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ASSERT_EQ(
        RegSetValueExW(key.get(), L"Marker", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
        ERROR_SUCCESS);
  }
  release.version = "1.4.3";
  ASSERT_TRUE(register_uninstall_entry(release));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY), "DisplayVersion",
                       RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY)
                .data,
            reg_sz("1.4.3"));
  EXPECT_EQ(read_value(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY), "Marker",
                       RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY)
                .status,
            ERROR_SUCCESS);
}

TEST_F(UninstallEntry, RemovingDeletesValuesAndSubkeysAndAnAbsentEntryIsFine) {
  ASSERT_TRUE(register_uninstall_entry(fixture_release()));
  {
    win::RegistryKey sub;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, (win::widen(UNINSTALL_KEY) + L"\\Child").c_str(), 0,
                        nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, sub.put(), nullptr),
        ERROR_SUCCESS);
  }
  ASSERT_TRUE(uninstall_key_exists());
  EXPECT_TRUE(remove_uninstall_entry());
  EXPECT_FALSE(uninstall_key_exists());
  EXPECT_TRUE(remove_uninstall_entry());
}

TEST(UninstallEntryFailures, AReleaseWithoutUpdaterIsNotRegistered) {
  auto release = fixture_release();
  release.files.pop_back();
  EXPECT_EQ(testing::outcome(register_uninstall_entry(release)), "Missing updater.");
}

TEST(StartupEntry, SetReadAndDeleteUnderTheUsersHive) {
  const std::string application = "C:\\Program Files\\Borelu\\Borelu.exe";
  ASSERT_TRUE(set_startup_entry(OWNER_SID, false, application));
  EXPECT_FALSE(startup_entry_present(OWNER_SID));
  ASSERT_TRUE(set_startup_entry(OWNER_SID, true, application));
  EXPECT_TRUE(startup_entry_present(OWNER_SID));
  const auto stored = read_value(HKEY_USERS, run_key_for(OWNER_SID), "Borelu", RRF_RT_REG_SZ);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.data, reg_sz("\"C:\\Program Files\\Borelu\\Borelu.exe\" --startup"));
  ASSERT_TRUE(set_startup_entry(OWNER_SID, false, application));
  EXPECT_FALSE(startup_entry_present(OWNER_SID));
  EXPECT_TRUE(set_startup_entry(OWNER_SID, false, application));
}

TEST(StartupEntry, AValueOfAnotherTypeDoesNotCountAsPresent) {
  win::RegistryKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, win::widen(run_key_for(OWNER_SID)).c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  ASSERT_EQ(
      RegSetValueExW(key.get(), L"Borelu", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
      ERROR_SUCCESS);
  EXPECT_FALSE(startup_entry_present(OWNER_SID));
  EXPECT_TRUE(set_startup_entry(OWNER_SID, false, "x"));
}

}  // namespace
}  // namespace borelu::registration
