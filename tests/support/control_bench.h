#pragma once

// Renders owner-drawn controls through their real WM_DRAWITEM routines into a 32-bit bitmap
// whose pixels can be read back: the bench for pixel tests and the controls sheet.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "theme/geometry.h"
#include "theme/palette.h"
#include "win/gdi.h"
#include "win/window.h"

namespace borelu::testing {

// A top-down 32-bit DIB section selected into a memory device context.
class Dib {
 public:
  Dib(std::int32_t width, std::int32_t height, theme::Colour fill);

  [[nodiscard]] HDC dc() const { return dc_.get(); }
  [[nodiscard]] std::int32_t width() const { return width_; }
  [[nodiscard]] std::int32_t height() const { return height_; }

  // 0xRRGGBB of a pixel; GDI must be flushed (GdiFlush) before reading, which this does.
  [[nodiscard]] theme::Colour pixel(std::int32_t x, std::int32_t y) const;
  void fill(const theme::DeviceRect& rect, theme::Colour colour);
  bool write_bmp(const std::filesystem::path& path) const;

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::uint32_t* bits_ = nullptr;
  win::MemoryDc dc_;
  win::Bitmap bitmap_;
  std::optional<win::Selection> selection_;  // restored before the bitmap goes
};

// Hidden owner-drawn buttons (ui/window/owner_drawn_button.h), in a hidden host window.
class ControlBench {
 public:
  ControlBench();
  // A new control with this id and UTF-8 window text.
  HWND add(int id, std::string_view text);

  // The mouse moving onto a control and leaving it, as the control receives them.
  static void move_onto(HWND control);
  static void leave(HWND control);

  [[nodiscard]] HWND host() const { return host_.get(); }

 private:
  win::Window host_;
  std::vector<win::Window> controls_;
};

// A visible popup window at (x, y) of a class registered here for `procedure`, to hold controls.
[[nodiscard]] win::Window host_window(const wchar_t* class_name, WNDPROC procedure, int x, int y,
                                      int width, int height);

// The record WM_DRAWITEM carries for `control`, drawing into `dc` at `rect`.
[[nodiscard]] DRAWITEMSTRUCT draw_item(HWND control, HDC dc, const theme::DeviceRect& rect,
                                       UINT state);

// How many more GDI objects this process can create before its handle table is full: a count of
// the objects alive that works under Wine too, whose GetGuiResources counts none.
[[nodiscard]] std::size_t free_gdi_slots();

}  // namespace borelu::testing
