// Who a process is: elevation, user SID, executable, and file identity.

#include <windows.h>

#include <gtest/gtest.h>

#include "process_runner.h"
#include "win/handles.h"
#include "win/text.h"
#include "windows/owner_sid.h"
#include "windows/process_identity.h"

namespace borelu::blocking {
namespace {

std::string system_folder() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return win::narrow(std::wstring_view(buffer, length));
}

// cmd.exe, held suspended while the test looks at it.
class SuspendedChild : public testing::ChildProcess {
 public:
  explicit SuspendedChild(const std::string& cmd)
      : ChildProcess(L"\"" + win::widen(cmd) + L"\" /c exit 0") {}
};

TEST(ProcessIdentity, TheTestProcessRunsAsAPersonAccount) {
  const auto sid = process_user_sid(GetCurrentProcess());
  ASSERT_TRUE(sid) << sid.error().text();
  EXPECT_TRUE(is_valid_owner_sid(*sid)) << *sid;
  // Wine reports every process as elevated; Windows would only for an elevated test run.
  EXPECT_TRUE(is_elevated());
}

TEST(ProcessIdentity, ImagePathOfSelfAndOfAChild) {
  wchar_t own[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  const auto self = process_image_path(GetCurrentProcess());
  ASSERT_TRUE(self) << self.error().text();
  EXPECT_TRUE(same_file_path(*self, win::narrow(std::wstring_view(own, length))));

  const std::string cmd = system_folder() + "\\cmd.exe";
  SuspendedChild child(cmd);
  ASSERT_NE(child.process(), nullptr);
  const auto image = process_image_path(child.process());
  ASSERT_TRUE(image) << image.error().text();
  EXPECT_TRUE(same_file_path(*image, cmd)) << *image;
  const auto child_sid = process_user_sid(child.process());
  ASSERT_TRUE(child_sid);
  EXPECT_EQ(*child_sid, *process_user_sid(GetCurrentProcess()));
}

TEST(ProcessIdentity, FailuresCarryTheirLabels) {
  // A handle without query rights: the token cannot be opened and the image cannot be read.
  SuspendedChild child(system_folder() + "\\cmd.exe");
  HANDLE limited = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), child.process(), GetCurrentProcess(), &limited,
                              SYNCHRONIZE, FALSE, 0));
  const win::Handle owner(limited);
  const auto sid = process_user_sid(limited);
  const auto image = process_image_path(limited);
  // Wine grants more than Windows here; where it refuses, the label must be right.
  if (!sid) {
    EXPECT_TRUE(sid.error().text().starts_with("Open process token: ")) << sid.error().text();
  }
  if (!image) {
    EXPECT_TRUE(image.error().text().starts_with("Read executable identity: "))
        << image.error().text();
  }
}

TEST(SameFilePath, SpellingsOfOneFileAreEqualAndUnresolvablePathsEqualNothing) {
  const std::string kernel = system_folder() + "\\kernel32.dll";
  std::string shouted = kernel;
  for (auto& c : shouted)
    c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(same_file_path(kernel, shouted));
  EXPECT_TRUE(same_file_path(kernel, system_folder() + "\\.\\kernel32.dll"));
  EXPECT_FALSE(same_file_path(kernel, system_folder() + "\\user32.dll"));
  const std::string absent = system_folder() + "\\no-such-file.dll";
  EXPECT_FALSE(same_file_path(absent, absent));
  EXPECT_FALSE(same_file_path(kernel, absent));
}

}  // namespace
}  // namespace borelu::blocking
