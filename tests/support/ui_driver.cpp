#include "ui_driver.h"

#include <thread>

#include "control_bench.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

// Physical pixels for the calls of one driver function.
class DpiAware {
 public:
  DpiAware()
      : previous_(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {}
  DpiAware(const DpiAware&) = delete;
  DpiAware& operator=(const DpiAware&) = delete;
  ~DpiAware() {
    if (previous_ != nullptr) {
      SetThreadDpiAwarenessContext(previous_);
    }
  }

 private:
  DPI_AWARENESS_CONTEXT previous_;
};

// WM_GETTEXT rather than GetWindowTextW: across processes GetWindowTextW gives only the text a
// window was created with, not what an edit control holds.
std::string text_of(HWND window) {
  constexpr UINT kTimeoutMs = 5000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) {
    return {};
  }
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, kTimeoutMs, &copied);
  buffer.resize(std::min<std::size_t>(copied, length));
  return win::narrow(buffer);
}

std::wstring class_of(HWND window) {
  wchar_t buffer[256] = {};
  const int length = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

struct Search {
  DWORD pid;
  std::wstring_view className;
  bool visibleOnly;
  HWND found = nullptr;
};

BOOL CALLBACK find_top_level(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && class_of(window) == search->className &&
      (!search->visibleOnly || IsWindowVisible(window))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND find_top_level_window(DWORD pid, std::wstring_view class_name, bool visible_only) {
  Search search{pid, class_name, visible_only};
  EnumWindows(find_top_level, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void send(std::initializer_list<INPUT> inputs) {
  std::vector<INPUT> list(inputs);
  SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
  // Let the target's thread take the input from its queue.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
}

void bring_to_front(HWND window) {
  SetForegroundWindow(window);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

POINT middle_on_screen(HWND window, int control_id) {
  const HWND control = GetDlgItem(window, control_id);
  RECT rect{};
  GetWindowRect(control, &rect);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void move_pointer(POINT point) {
  // Absolute coordinates are normalised to 0..65535 over the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = static_cast<LONG>((point.x * 65535 + width / 2) / (width - 1));
  move.mi.dy = static_cast<LONG>((point.y * 65535 + height / 2) / (height - 1));
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  send({move});
}

}  // namespace

const ControlView* WindowView::control(int id) const {
  for (const auto& c : controls) {
    if (c.id == id)
      return &c;
  }
  return nullptr;
}

std::optional<HWND> wait_for_window(DWORD pid, std::wstring_view class_name,
                                    std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  wait_until([&] { return (found = find_top_level_window(pid, class_name, true)) != nullptr; },
             timeout);
  if (found == nullptr)
    return std::nullopt;
  return found;
}

bool has_window(DWORD pid, std::wstring_view class_name) {
  return find_top_level_window(pid, class_name, false) != nullptr;
}

WindowView read_window(HWND window) {
  const DpiAware aware;
  WindowView view;
  view.window = window;
  view.caption = text_of(window);
  RECT client{};
  GetClientRect(window, &client);
  view.client = SIZE{client.right, client.bottom};
  ClientToScreen(window, &view.clientOrigin);
  GetWindowRect(window, &view.outer);

  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ControlView control;
    control.window = child;
    control.id = GetDlgCtrlID(child);
    control.className = class_of(child);
    GetWindowRect(child, &control.rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&control.rect), 2);
    control.enabled = IsWindowEnabled(child) != FALSE;
    control.visible = IsWindowVisible(child) != FALSE;
    control.text = text_of(child);
    control.extendedStyle = GetWindowLongW(child, GWL_EXSTYLE);
    view.controls.push_back(std::move(control));
  }
  // Controls are created in order and each new one goes below the earlier ones in Z order.
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) &&
      thread.hwndFocus != nullptr && GetParent(thread.hwndFocus) == window) {
    view.focusedId = GetDlgCtrlID(thread.hwndFocus);
  }
  return view;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void click(HWND window, int control_id) {
  const DpiAware aware;
  bring_to_front(window);
  move_pointer(middle_on_screen(window, control_id));
  INPUT down{};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  INPUT up = down;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  send({down, up});
}

void hover(HWND window, int control_id) {
  const DpiAware aware;
  bring_to_front(window);
  move_pointer(middle_on_screen(window, control_id));
}

void press_key(HWND window, WORD virtual_key) {
  bring_to_front(window);
  INPUT down{};
  down.type = INPUT_KEYBOARD;
  down.ki.wVk = virtual_key;
  INPUT up = down;
  up.ki.dwFlags = KEYEVENTF_KEYUP;
  send({down, up});
}

}  // namespace borelu::testing

namespace borelu::testing {

void park_pointer() {
  const DpiAware aware;
  move_pointer(POINT{0, 0});
}

void send_command(HWND window, int control_id) {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED), 0);
}

bool send_dpi_changed(HWND window, UINT dpi, const RECT& suggested) {
  // The system does not carry this message's rectangle across processes: it must already be in
  // the receiver's address space.
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const win::Handle process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid));
  if (!process) {
    return false;
  }
  void* remote = VirtualAllocEx(process.get(), nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (remote == nullptr) {
    return false;
  }
  const bool written =
      WriteProcessMemory(process.get(), remote, &suggested, sizeof suggested, nullptr) != FALSE;
  if (written) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
  }
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return written;
}

namespace {

std::unique_ptr<Dib> capture_area(POINT origin, SIZE size) {
  auto image = std::make_unique<Dib>(size.cx, size.cy, theme::Colour{0});
  const HDC screen = GetDC(nullptr);
  BitBlt(image->dc(), 0, 0, size.cx, size.cy, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return image;
}

}  // namespace

std::unique_ptr<Dib> capture_client(HWND window) {
  const DpiAware aware;
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return capture_area(origin, {client.right, client.bottom});
}

std::unique_ptr<Dib> capture_screen() {
  const DpiAware aware;
  return capture_area({0, 0}, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

}  // namespace borelu::testing
