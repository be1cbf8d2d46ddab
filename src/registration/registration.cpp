#include "registration/registration.h"

#include <windows.h>

#include "manifest/installation.h"
#include "manifest/update_host.h"
#include "registration/registration_values.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::registration {
namespace {

// Registry failures carry the function's own return code, not the system's text.
std::unexpected<Failure> registry_failure(std::string_view label, LSTATUS code) {
  return fail(std::string(label) + ": " + std::to_string(code));
}

LSTATUS set_value(HKEY key, const RegistryValue& value) {
  return RegSetValueExW(key, win::widen(value.name).c_str(), 0, static_cast<DWORD>(value.type),
                        value.data.data(), static_cast<DWORD>(value.data.size()));
}

}  // namespace

Status register_uninstall_entry(const manifest::Release& release) {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  const auto runner = manifest::updater_runner_path(release.files);
  if (!runner) {
    return std::unexpected(runner.error());
  }
  win::RegistryKey key;
  const LSTATUS created =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, win::widen(UNINSTALL_KEY).c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
  if (created != ERROR_SUCCESS) {
    return registry_failure("Register Windows uninstall", created);
  }
  for (const RegistryValue& value :
       uninstall_values(release, *folder, *runner, manifest::UPDATE_HOST)) {
    if (const LSTATUS written = set_value(key.get(), value); written != ERROR_SUCCESS) {
      return registry_failure("Register Windows application", written);
    }
  }
  return {};
}

Status remove_uninstall_entry() {
  const LSTATUS removed = RegDeleteTreeW(HKEY_LOCAL_MACHINE, win::widen(UNINSTALL_KEY).c_str());
  if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
    return registry_failure("Remove Windows uninstall registration", removed);
  }
  return {};
}

Status set_startup_entry(std::string_view owner_sid, bool present,
                         std::string_view application_path) {
  win::RegistryKey key;
  const LSTATUS opened = RegCreateKeyExW(HKEY_USERS, win::widen(run_key_for(owner_sid)).c_str(), 0,
                                         nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (opened != ERROR_SUCCESS) {
    return registry_failure("Open startup setting", opened);
  }
  const std::wstring name = win::widen(RUN_VALUE);
  const LSTATUS saved = present ? set_value(key.get(), {std::string(RUN_VALUE), ValueType::string,
                                                        reg_sz(startup_command(application_path))})
                                : RegDeleteValueW(key.get(), name.c_str());
  key.reset();
  if (saved != ERROR_SUCCESS && saved != ERROR_FILE_NOT_FOUND) {
    return registry_failure("Save startup setting", saved);
  }
  return {};
}

bool startup_entry_present(std::string_view owner_sid) {
  return RegGetValueW(HKEY_USERS, win::widen(run_key_for(owner_sid)).c_str(),
                      win::widen(RUN_VALUE).c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

}  // namespace borelu::registration
