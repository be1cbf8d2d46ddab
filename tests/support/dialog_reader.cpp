#include "dialog_reader.h"

#include <algorithm>
#include <thread>

#include "win/text.h"

namespace borelu::testing {
namespace {

struct Search {
  DWORD pid;
  std::vector<HWND>* seen;
  HWND found = nullptr;
};

std::string window_text(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return win::narrow(text);
}

BOOL CALLBACK find_dialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t class_name[32] = {};
  GetClassNameW(window, class_name, 32);
  if (pid == search->pid && IsWindowVisible(window) && std::wstring_view(class_name) == L"#32770" &&
      (search->seen == nullptr ||
       std::ranges::find(*search->seen, window) == search->seen->end())) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK collect_child(HWND child, LPARAM parameter) {
  auto* snapshot = reinterpret_cast<DialogSnapshot*>(parameter);
  const std::string text = window_text(child);
  if (!text.empty()) {
    snapshot->texts.push_back(text);
  }
  wchar_t class_name[32] = {};
  GetClassNameW(child, class_name, 32);
  if (std::wstring_view(class_name) == L"Static" &&
      (GetWindowLongW(child, GWL_STYLE) & SS_ICON) == SS_ICON) {
    snapshot->hasIcon = true;
  }
  return TRUE;
}

}  // namespace

bool DialogSnapshot::shows(const std::string& text) const {
  return std::ranges::any_of(
      texts, [&](const std::string& t) { return t.find(text) != std::string::npos; });
}

std::optional<DialogSnapshot> take_dialog(DWORD pid, std::chrono::milliseconds timeout,
                                          std::vector<HWND>* seen) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    Search search{pid, seen};
    EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      // Give the dialog a moment to finish laying out its controls.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      DialogSnapshot snapshot;
      snapshot.title = window_text(search.found);
      snapshot.rightToLeft = (GetWindowLongW(search.found, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
      EnumChildWindows(search.found, collect_child, reinterpret_cast<LPARAM>(&snapshot));
      if (seen != nullptr)
        seen->push_back(search.found);
      PostMessageW(search.found, WM_COMMAND, IDOK, 0);
      return snapshot;
    }
    if (timeout.count() > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

}  // namespace borelu::testing
