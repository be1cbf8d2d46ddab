#include "controller/shortcuts.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <string_view>

#include "controller/com_apartment.h"
#include "controller/installed_application.h"
#include "core/ascii_case.h"
#include "core/path_text.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu::controller {
namespace {

constexpr std::string_view kShortcutName = "Borelu.lnk";
constexpr int kTargetUnits = 32768;

struct Location {
  const KNOWNFOLDERID& folder;
  bool wanted;
};

// The known folder's path. It is asked for without the existence check, which would refuse a
// folder that is not there yet, such as a Start menu programs folder that the user removed:
// the folder is created below when a shortcut is to go into it.
Result<std::string> known_folder(const KNOWNFOLDERID& id) {
  wchar_t* path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
  const win::CoTaskMemory owner(path);
  if (FAILED(result) || path == nullptr) {
    return fail("Windows could not locate your shortcuts folder.");
  }
  return win::narrow(path);
}

// Whether anything is at the path. Only a plain "not found" means nothing: whatever else stands
// in the way is left for the shell link object to read, and reported if it cannot be.
bool something_at(std::string_view path) {
  if (win::path_attributes(path) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Reads the shortcut at `path` into `link` and tells whether it starts `application`: the same
// file, or failing that (the application may not be there) the same text in any letter case.
Status check_ours(IShellLinkW& link, IPersistFile& file, std::string_view path,
                  std::string_view application) {
  std::wstring target(kTargetUnits, L'\0');
  if (FAILED(file.Load(win::widen(path).c_str(), STGM_READ)) ||
      FAILED(link.GetPath(target.data(), kTargetUnits, nullptr, SLGP_RAWPATH))) {
    return fail("An existing Borelu shortcut could not be inspected. It was kept.");
  }
  if (const auto end = target.find(L'\0'); end != std::wstring::npos) {
    target.resize(end);
  }
  const std::string text = win::narrow(target);
  if (!blocking::same_file_path(text, application) &&
      !equal_ignoring_ascii_case(text, application)) {
    return fail("A different shortcut named Borelu already exists. It was kept.");
  }
  return {};
}

Status write_shortcut(IShellLinkW& link, IPersistFile& file, std::string_view path,
                      std::string_view application) {
  const std::wstring target = win::widen(application);
  if (FAILED(link.SetPath(target.c_str())) || FAILED(link.SetArguments(L"")) ||
      FAILED(link.SetIconLocation(target.c_str(), 0)) ||
      FAILED(file.Save(win::widen(path).c_str(), TRUE))) {
    return fail("Windows could not save the Borelu shortcut.");
  }
  return {};
}

Status configure_location(const Location& location) {
  const auto folder = known_folder(location.folder);
  if (!folder) {
    return std::unexpected(folder.error());
  }
  if (auto checked = storage::reject_linked_path(*folder); !checked) {
    return checked;
  }
  if (location.wanted) {
    if (auto made = win::create_directories(*folder); !made) {
      return made;
    }
  }
  const std::string path = join_path(*folder, kShortcutName);
  if (auto checked = storage::reject_linked_path(path); !checked) {
    return checked;
  }

  win::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void()))) {
    return fail("Windows could not create the Borelu shortcut.");
  }
  win::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) {
    return fail("Windows shortcut persistence is unavailable.");
  }
  const auto application = installed_application_path();
  if (!application) {
    return std::unexpected(application.error());
  }

  const bool present = something_at(path);
  if (present) {
    if (auto ours = check_ours(*link.get(), *file.get(), path, *application); !ours) {
      return ours;
    }
  }
  if (location.wanted) {
    return write_shortcut(*link.get(), *file.get(), path, *application);
  }
  if (present && !DeleteFileW(win::widen(path).c_str())) {
    return std::unexpected(win::last_os_failure());
  }
  return {};
}

}  // namespace

Status configure_shortcuts(bool desktop, bool start_menu) {
  // The shell link object is apartment-threaded; every interface is released inside
  // configure_location, before the apartment is left.
  const ComApartment apartment(COINIT_APARTMENTTHREADED);
  if (!apartment.entered()) {
    return fail("Windows shortcut initialization failed.");
  }
  for (const Location& location :
       {Location{FOLDERID_Desktop, desktop}, Location{FOLDERID_Programs, start_menu}}) {
    if (auto done = configure_location(location); !done) {
      return done;
    }
  }
  return {};
}

}  // namespace borelu::controller
