#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace borelu::testing {

// What a dialog window of another thread or process shows, read from the window itself.
struct DialogSnapshot {
  std::string title;
  std::vector<std::string> texts;  // the window texts of its child controls
  bool rightToLeft = false;        // WS_EX_LAYOUTRTL on the dialog
  bool hasIcon = false;            // a child static control showing an icon

  [[nodiscard]] bool shows(const std::string& text) const;
};

// The first visible dialog ("#32770") of process `pid` not in `seen`, read and then closed with
// OK; nothing when none appears in time.
std::optional<DialogSnapshot> take_dialog(DWORD pid, std::chrono::milliseconds timeout,
                                          std::vector<HWND>* seen = nullptr);

}  // namespace borelu::testing
