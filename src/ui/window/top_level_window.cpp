#include "ui/window/top_level_window.h"

#include "theme/window_placement.h"
#include "win/system_error.h"
#include "win/timeline.h"

namespace borelu::ui {
namespace {

// Unregisters the class once the window that used it is gone.
class ClassRegistration {
 public:
  ClassRegistration(const wchar_t* name, HINSTANCE instance) : name_(name), instance_(instance) {}
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;
  ~ClassRegistration() { UnregisterClassW(name_, instance_); }

 private:
  const wchar_t* name_;
  HINSTANCE instance_;
};

void run_message_loop(HWND window) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Enter, Escape and Tab become IDOK, IDCANCEL and focus moves, as in a dialog.
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

Status run_top_level_window(const TopLevelWindow& window, const theme::WindowPlacement& placement,
                            void* state, std::string_view failure_label) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window.procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = window.class_name;
  if (RegisterClassExW(&window_class) == 0) {
    return std::unexpected(win::last_os_failure(failure_label));
  }
  const ClassRegistration registration(window.class_name, instance);

  const HWND created = CreateWindowExW(0, window.class_name, window.title.c_str(), window.style,
                                       placement.x, placement.y, placement.width, placement.height,
                                       nullptr, nullptr, instance, state);
  if (created == nullptr) {
    return std::unexpected(win::last_os_failure(failure_label));
  }
  win::timeline::at("window created");
  ShowWindow(created, SW_SHOW);
  win::timeline::at("window shown");
  run_message_loop(created);
  return {};
}

void keep_window_state(HWND window, LPARAM nccreate_lparam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(nccreate_lparam);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

}  // namespace borelu::ui
