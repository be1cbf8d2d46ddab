#include "unelevated_start.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "core/scope_exit.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "windows/process_identity.h"

namespace borelu {
namespace {

// Declared here rather than taken from libuuid, which the import libraries linked before it can
// shadow with thunks of the same name.
constexpr CLSID kShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

Failure com_failure(std::string_view step, HRESULT result) {
  return win::os_failure(step, static_cast<DWORD>(result));
}

// A call whose result is success only when it is S_OK and it gave an object: S_FALSE (nothing
// found) is a failure of its own.
Status checked(std::string_view step, HRESULT result, bool given) {
  if (result == S_OK && given) {
    return {};
  }
  return std::unexpected(com_failure(step, FAILED(result) ? result : E_NOINTERFACE));
}

}  // namespace

DesktopShell read_shell_of(HWND window) {
  const auto unreadable = [](Failure reason) {
    return DesktopShell{ShellToken::unreadable, false, std::move(reason)};
  };
  DWORD pid = 0;
  if (GetWindowThreadProcessId(window, &pid) == 0 || pid == 0) {
    return unreadable(win::last_os_failure("Find the desktop's shell process"));
  }
  const win::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    return unreadable(win::last_os_failure("Open the desktop's shell process"));
  }
  const auto token = blocking::open_process_token(process.get());
  if (!token) {
    return unreadable(token.error());
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token->get(), TokenElevation, &elevation, sizeof elevation, &size)) {
    return unreadable(win::last_os_failure("Read the desktop shell's elevation"));
  }
  const auto shell_user = blocking::token_user_sid(token->get());
  if (!shell_user) {
    return unreadable(shell_user.error());
  }
  const auto own_user = blocking::process_user_sid(GetCurrentProcess());
  if (!own_user) {
    return unreadable(own_user.error());
  }
  return {elevation.TokenIsElevated != 0 ? ShellToken::elevated : ShellToken::unelevated,
          *shell_user == *own_user, std::nullopt};
}

namespace {

Result<std::wstring> own_program() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) {
    return std::unexpected(win::last_os_failure("Find Setup's own program"));
  }
  path.resize(length);
  return path;
}

Failure refused(const Failure& reason) {
  return Failure(std::string(kElevatedWizardRefused) + " (" + reason.text() + ")");
}

}  // namespace

DesktopShell read_desktop_shell() {
  const HWND window = GetShellWindow();
  if (window == nullptr) {
    return {};
  }
  return read_shell_of(window);
}

namespace {

// The object a call gives through its last parameter, or the call's failure as `step`.
template <class Interface, class Call>
Result<win::ComPtr<Interface>> obtain(std::string_view step, Call call) {
  win::ComPtr<Interface> object;
  const HRESULT result = call(object.put_void());  // before the object is looked at
  if (auto given = checked(step, result, bool(object)); !given) {
    return std::unexpected(given.error());
  }
  return object;
}

template <class Interface, class Source>
Result<win::ComPtr<Interface>> query(std::string_view step, const win::ComPtr<Source>& source) {
  return obtain<Interface>(
      step, [&](void** out) { return source->QueryInterface(__uuidof(Interface), out); });
}

// The shell's IShellDispatch2, reached from the desktop's window as Microsoft documents it.
Result<win::ComPtr<IShellDispatch2>> desktop_shell_dispatch() {
  const auto windows = obtain<IShellWindows>("Open the shell's windows", [](void** out) {
    return CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                            out);
  });
  if (!windows) {
    return std::unexpected(windows.error());
  }
  VARIANT desktop;
  VariantInit(&desktop);
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  VARIANT no_root;
  VariantInit(&no_root);
  const auto found = obtain<IDispatch>("Find the desktop's window", [&](void** out) {
    LONG window = 0;
    return (*windows)->FindWindowSW(&desktop, &no_root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                    reinterpret_cast<IDispatch**>(out));
  });
  const auto services = found ? query<IServiceProvider>("Reach the desktop's services", *found)
                              : std::unexpected(found.error());
  const auto browser =
      services ? obtain<IShellBrowser>("Reach the desktop's browser",
                                       [&](void** out) {
                                         return (*services)->QueryService(
                                             kTopLevelBrowser, __uuidof(IShellBrowser), out);
                                       })
               : std::unexpected(services.error());
  const auto view = browser ? obtain<IShellView>("Reach the desktop's view",
                                                 [&](void** out) {
                                                   return (*browser)->QueryActiveShellView(
                                                       reinterpret_cast<IShellView**>(out));
                                                 })
                            : std::unexpected(browser.error());
  const auto background = view
                              ? obtain<IDispatch>("Reach the desktop view's background",
                                                  [&](void** out) {
                                                    return (*view)->GetItemObject(
                                                        SVGIO_BACKGROUND, __uuidof(IDispatch), out);
                                                  })
                              : std::unexpected(view.error());
  const auto folder_view =
      background ? query<IShellFolderViewDual>("Reach the desktop's folder view", *background)
                 : std::unexpected(background.error());
  const auto application =
      folder_view
          ? obtain<IDispatch>(
                "Reach the shell's application",
                [&](void** out) {
                  return (*folder_view)->get_Application(reinterpret_cast<IDispatch**>(out));
                })
          : std::unexpected(folder_view.error());
  if (!application) {
    return std::unexpected(application.error());
  }
  return query<IShellDispatch2>("Reach the shell's dispatch", *application);
}

}  // namespace

Status start_through_shell(std::wstring_view program) {
  const auto found = desktop_shell_dispatch();
  if (!found) {
    return std::unexpected(found.error());
  }
  const win::ComPtr<IShellDispatch2>& shell = *found;
  // The shell may bring the new wizard to the front; it is the user's own next window.
  (void)CoAllowSetForegroundWindow(shell.get(), nullptr);
  BSTR file = SysAllocStringLen(program.data(), static_cast<UINT>(program.size()));
  if (file == nullptr) {
    return std::unexpected(com_failure("Start Setup through the shell", E_OUTOFMEMORY));
  }
  const ScopeExit free_file([&] { SysFreeString(file); });
  VARIANT nothing;
  VariantInit(&nothing);
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return checked("Start Setup through the shell",
                 shell->ShellExecute(file, nothing, nothing, nothing, show), true);
}

Result<bool> return_to_desktop_user() {
  const bool elevated = blocking::is_elevated();
  if (!elevated) {
    return false;
  }
  const DesktopShell shell = read_desktop_shell();
  switch (choose_wizard_start(elevated, shell.token, shell.sameUser)) {
    case WizardStart::go_on:
      return false;
    case WizardStart::refuse:
      return std::unexpected(refused(shell.unreadable.value_or(Failure("unknown"))));
    case WizardStart::relaunch_as_desktop_user:
      break;
  }
  const auto program = own_program();
  if (!program) {
    return std::unexpected(refused(program.error()));
  }
  // Failing rather than going on: an elevated wizard is what this step exists to prevent.
  if (auto started = start_through_shell(*program); !started) {
    return std::unexpected(refused(started.error()));
  }
  return true;
}

}  // namespace borelu
