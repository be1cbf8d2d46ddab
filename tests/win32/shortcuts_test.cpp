// The user's shortcuts, in the test prefix's own desktop and Start menu folders redirected to a
// folder of the test, as Windows' folder redirection does it.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "controller/com_apartment.h"
#include "controller/shortcuts.h"
#include "core/path_text.h"
#include "installation_aside.h"
#include "outcome.h"
#include "shell_folders.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::controller {
namespace {

using testing::outcome;

constexpr std::string_view kDifferent =
    "A different shortcut named Borelu already exists. It was kept.";
constexpr std::string_view kUninspectable =
    "An existing Borelu shortcut could not be inspected. It was kept.";
constexpr std::string_view kLinked = "Linked installation/update paths are not permitted.";

// A folder under one of the prefix's Unix symbolic links (made by tests/wine/make_links.sh).
const std::string kLinkedFolder = "C:\\borelu-links\\dirlink\\sub";
const std::string kLinkTarget = "C:\\borelu-links\\real\\sub";

using testing::RedirectedShellFolder;

struct ShellLink {
  win::ComPtr<IShellLinkW> link;
  win::ComPtr<IPersistFile> file;
  ShellLink() {
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IShellLinkW, link.put_void()));
    EXPECT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void()));
  }
};

void write_link(const std::string& path, const std::string& target) {
  const ComApartment apartment(COINIT_APARTMENTTHREADED);
  ShellLink shortcut;
  EXPECT_HRESULT_SUCCEEDED(shortcut.link->SetPath(win::widen(target).c_str()));
  EXPECT_HRESULT_SUCCEEDED(shortcut.file->Save(win::widen(path).c_str(), TRUE));
}

// What the shell link object reads from a shortcut: target, arguments, icon and its index.
std::string read_link(const std::string& path) {
  if (win::path_attributes(path) == INVALID_FILE_ATTRIBUTES) {
    return "<absent>";
  }
  const ComApartment apartment(COINIT_APARTMENTTHREADED);
  ShellLink shortcut;
  std::wstring target(32768, L'\0');
  std::wstring arguments(32768, L'\0');
  std::wstring icon(32768, L'\0');
  int index = -1;
  if (FAILED(shortcut.file->Load(win::widen(path).c_str(), STGM_READ)) ||
      FAILED(shortcut.link->GetPath(target.data(), 32768, nullptr, SLGP_RAWPATH)) ||
      FAILED(shortcut.link->GetArguments(arguments.data(), 32768)) ||
      FAILED(shortcut.link->GetIconLocation(icon.data(), 32768, &index))) {
    return "<unreadable>";
  }
  return win::narrow(target.c_str()) + " [" + win::narrow(arguments.c_str()) + "] " +
         win::narrow(icon.c_str()) + "," + std::to_string(index);
}

class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installation_.ready());
    application_ = installation_.install_application();
    ours_ = application_ + " [] " + application_ + ",0";
    testing::remove_tree(root_);
    ASSERT_TRUE(win::create_directories(desktop_));
    desktop_folder_.point_to(desktop_);
    programs_folder_.point_to(programs_);
  }
  void TearDown() override {
    testing::remove_tree(root_);
    DeleteFileW(win::widen(join_path(kLinkTarget, "Borelu.lnk")).c_str());
  }

  testing::InstallationAside installation_;
  RedirectedShellFolder desktop_folder_{L"Desktop"};
  RedirectedShellFolder programs_folder_{L"Programs"};
  std::string application_;
  std::string ours_;  // what read_link gives for a shortcut of ours
  const std::string root_ = testing::temp_folder("borelu-shortcuts");
  const std::string desktop_ = join_path(root_, "Desktop");
  const std::string programs_ = join_path(root_, "Start Menu\\Programs");
};

TEST_F(Shortcuts, BothOnCreatesBothAndRewritesThemOffDeletesThem) {
  // No shortcut anywhere and no Start menu programs folder at all.
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(outcome(configure_shortcuts(true, true)), "success");
    EXPECT_EQ(read_link(join_path(desktop_, "Borelu.lnk")), ours_);
    EXPECT_EQ(read_link(join_path(programs_, "Borelu.lnk")), ours_);
  }
  EXPECT_EQ(outcome(configure_shortcuts(false, false)), "success");
  EXPECT_EQ(read_link(join_path(desktop_, "Borelu.lnk")), "<absent>");
  EXPECT_EQ(read_link(join_path(programs_, "Borelu.lnk")), "<absent>");
  EXPECT_NE(win::path_attributes(programs_), INVALID_FILE_ATTRIBUTES);
}

// A desktop "Borelu.lnk" of every kind, with the Start menu option on and its folder missing:
// the Start menu is only reached when the desktop went well.
TEST_F(Shortcuts, AnExistingDesktopShortcutIsReplacedOnlyWhenItIsOurs) {
  enum class Existing { none, ours, ours_in_other_case, foreign, garbage };
  enum class After { absent, ours, unchanged };
  struct Case {
    const char* what;
    Existing existing;
    bool installed;
    bool linked_folder;
    bool desktop;
    std::string_view expected;
    After after;
  };
  const Case cases[] = {
      {"ours, option off", Existing::ours, true, false, false, "success", After::absent},
      {"foreign, option off", Existing::foreign, true, false, false, kDifferent, After::unchanged},
      {"foreign, option on", Existing::foreign, true, false, true, kDifferent, After::unchanged},
      {"ours in other letter case", Existing::ours_in_other_case, true, false, true, "success",
       After::ours},
      {"ours in other letter case, application not there", Existing::ours_in_other_case, false,
       false, true, "success", After::ours},
      {"unreadable", Existing::garbage, true, false, true, kUninspectable, After::unchanged},
      {"linked desktop folder", Existing::none, true, true, true, kLinked, After::absent},
  };
  std::string upper = application_;
  for (char& c : upper) {
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::remove_tree(join_path(root_, "Start Menu"));
    if (c.installed) {
      installation_.install_application();
    } else {
      ASSERT_TRUE(DeleteFileW(win::widen(application_).c_str()));
    }
    const std::string folder = c.linked_folder ? kLinkedFolder : desktop_;
    desktop_folder_.point_to(folder);
    const std::string link = join_path(folder, "Borelu.lnk");
    DeleteFileW(win::widen(link).c_str());
    switch (c.existing) {
      case Existing::none:
        break;
      case Existing::ours:
        write_link(link, application_);
        break;
      case Existing::ours_in_other_case:
        write_link(link, upper);
        break;
      case Existing::foreign:
        write_link(link, "C:\\windows\\system32\\notepad.exe");
        break;
      case Existing::garbage:
        ASSERT_TRUE(win::write_whole_file(link, "not a shortcut at all"));
        break;
    }
    const auto before = win::read_whole_file(link);

    EXPECT_EQ(outcome(configure_shortcuts(c.desktop, true)), c.expected);

    switch (c.after) {
      case After::absent:
        EXPECT_EQ(read_link(link), "<absent>");
        EXPECT_EQ(read_link(join_path(kLinkTarget, "Borelu.lnk")), "<absent>");
        break;
      case After::ours:
        EXPECT_EQ(read_link(link), ours_);
        break;
      case After::unchanged:
        ASSERT_TRUE(before);
        EXPECT_EQ(win::read_whole_file(link).value_or("<unreadable>"), *before);
        break;
    }
    if (c.expected == "success") {
      EXPECT_EQ(read_link(join_path(programs_, "Borelu.lnk")), ours_);
    } else {
      EXPECT_EQ(win::path_attributes(programs_), INVALID_FILE_ATTRIBUTES);
    }
  }
}

}  // namespace
}  // namespace borelu::controller
