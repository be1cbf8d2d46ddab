#include "control_bench.h"

#include <fstream>

#include "ui/window/owner_drawn_button.h"
#include "win/text.h"

namespace borelu::testing {

Dib::Dib(std::int32_t width, std::int32_t height, theme::Colour fill)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<std::uint32_t*>(bits);
  selection_.emplace(dc_.get(), bitmap_.get());
  this->fill({0, 0, width, height}, fill);
}

theme::Colour Dib::pixel(std::int32_t x, std::int32_t y) const {
  GdiFlush();
  if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) {
    return theme::Colour{0xFFFFFFFF};  // no colour of the palette
  }
  return theme::Colour{bits_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF};
}

void Dib::fill(const theme::DeviceRect& rect, theme::Colour colour) {
  const win::Brush brush(CreateSolidBrush(colour.colorref()));
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  FillRect(dc_.get(), &r, brush.get());
}

bool Dib::write_bmp(const std::filesystem::path& path) const {
  GdiFlush();
  const DWORD image_size = static_cast<DWORD>(width_) * height_ * 4;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + image_size;
  header.biSize = sizeof header;
  header.biWidth = width_;
  header.biHeight = -height_;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = image_size;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(bits_), image_size);
  return out.good();
}

ControlBench::ControlBench()
    : host_(CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr)) {}

HWND ControlBench::add(int id, std::string_view text) {
  const HWND control = ui::create_owner_drawn_button({.parent = host_.get(),
                                                      .id = id,
                                                      .text = win::widen(text),
                                                      .rect = {0, 0, 10, 10},
                                                      .font = nullptr,
                                                      .access = nullptr});
  controls_.emplace_back(control);
  return control;
}

void ControlBench::move_onto(HWND control) {
  SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
}

void ControlBench::leave(HWND control) {
  SendMessageW(control, WM_MOUSELEAVE, 0, 0);
}

win::Window host_window(const wchar_t* class_name, WNDPROC procedure, int x, int y, int width,
                        int height) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = class_name;
  RegisterClassW(&window_class);
  return win::Window(CreateWindowExW(0, class_name, L"", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

DRAWITEMSTRUCT draw_item(HWND control, HDC dc, const theme::DeviceRect& rect, UINT state) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(control));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = state;
  item.hwndItem = control;
  item.hDC = dc;
  item.rcItem = {rect.left, rect.top, rect.right, rect.bottom};
  return item;
}

std::size_t free_gdi_slots() {
  std::vector<HBRUSH> brushes;
  while (brushes.size() < 200000) {
    const HBRUSH brush = CreateSolidBrush(RGB(brushes.size() & 0xFF, 1, 2));
    if (brush == nullptr) {
      break;
    }
    brushes.push_back(brush);
  }
  for (const HBRUSH brush : brushes) {
    DeleteObject(brush);
  }
  return brushes.size();
}

}  // namespace borelu::testing
