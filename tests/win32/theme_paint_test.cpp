// The hover rule with real mouse messages, the fonts of both windows and what the test prefix
// draws them with, paint frames (empty rectangles, no object left behind), and a window placed
// for its logical client size.

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "control_bench.h"
#include "high_contrast_schemes.h"
#include "theme/choice_controls.h"
#include "theme/fonts.h"
#include "theme/hover.h"
#include "theme/push_button.h"
#include "theme/window_placement.h"
#include "ui/window/owner_drawn_button.h"
#include "win/window.h"

namespace borelu::theme {
namespace {

// What one WM_DRAWITEM saw.
struct Paint {
  int id;
  bool hovered;
};

std::vector<Paint> g_paints;

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DRAWITEM) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    g_paints.push_back({static_cast<int>(item.CtlID), button_state(item).hovered});
    draw_push_button(item, "Next", ButtonVariant::primary, nullptr, 1.0f, false, DARK_PALETTE);
    return TRUE;
  }
  if (message == WM_ERASEBKGND) {
    return 1;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Delivers what is queued, WM_PAINT included, until nothing is left.
void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageW(&msg);
  }
}

TEST(Hover, MovingStraightOntoAnotherButtonRepaintsBoth) {
  const win::Window host =
      testing::host_window(L"Borelu.Test.HoverHost", host_proc, 0, 0, 400, 100);
  ASSERT_TRUE(host);
  const auto button = [&](int id, int x) {
    return ui::create_owner_drawn_button({.parent = host.get(),
                                          .id = id,
                                          .text = L"",
                                          .rect = {x, 20, x + 150, 64},
                                          .font = nullptr,
                                          .access = nullptr});
  };
  const HWND first = button(101, 20);
  const HWND second = button(102, 200);
  ASSERT_TRUE(first != nullptr && second != nullptr);
  pump();

  // The real pointer goes where the message says it is, so Wine's own leave tracking agrees
  // with the messages sent; what it adds repeats them.
  const auto put_pointer = [&](HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
  };
  const struct {
    HWND target;
    UINT message;
    HWND hot_after;
    std::map<int, bool> repainted;  // id: hovered in its last paint
  } steps[] = {
      {first, WM_MOUSEMOVE, first, {{101, true}}},
      {first, WM_MOUSEMOVE, first, {}},  // still on it: nothing to repaint
      {second, WM_MOUSEMOVE, second, {{101, false}, {102, true}}},
      {first, WM_MOUSELEAVE, second, {{101, false}}},  // a late leave keeps the new hot button
      {second, WM_MOUSELEAVE, nullptr, {{102, false}}},
  };
  for (const auto& step : steps) {
    if (step.message == WM_MOUSEMOVE) {
      put_pointer(step.target, 75, 22);
    } else if (step.hot_after == nullptr) {
      put_pointer(host.get(), 390, 90);  // off both buttons
    }
    g_paints.clear();
    PostMessageW(step.target, step.message, 0, MAKELPARAM(75, 22));
    pump();
    EXPECT_EQ(hot_control(), step.hot_after);
    std::map<int, bool> repainted;
    for (const Paint& paint : g_paints) {
      repainted[paint.id] = paint.hovered;
    }
    EXPECT_EQ(repainted, step.repainted) << "after message " << step.message;
  }
}

TEST(Fonts, EveryRoleAtItsSizeAndWeightInSegoeUi) {
  const float scale = 1.5f;
  const WizardFonts wizard = create_wizard_fonts(scale);
  const ProgressFonts progress = create_progress_fonts(scale);
  const struct {
    HFONT font;
    LONG height;
    LONG weight;
  } cases[] = {
      {wizard[WizardFont::body], -23, 400},          {wizard[WizardFont::small], -20, 400},
      {wizard[WizardFont::body_semibold], -23, 600}, {wizard[WizardFont::card_title], -30, 600},
      {wizard[WizardFont::page_title], -41, 600},    {wizard[WizardFont::brand], -29, 700},
      {progress[ProgressFont::title], -27, 600},     {progress[ProgressFont::body], -21, 400},
      {progress[ProgressFont::button], -23, 600},
  };
  for (const auto& c : cases) {
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(c.font, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfHeight, c.height);
    EXPECT_EQ(font.lfWeight, c.weight);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Segoe UI");
    EXPECT_EQ(font.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
  }
}

// The test prefix maps "Segoe UI" to a face with Arabic letters: none of the texts' letters
// would be drawn as the missing-glyph box.
TEST(Fonts, SegoeUiDrawsArabicAndLatinLetters) {
  const WizardFonts fonts = create_wizard_fonts(1.0f);
  testing::Dib dib(4, 4, palette::Background);
  SelectObject(dib.dc(), fonts[WizardFont::body]);
  for (const std::wstring text : {L"العربية استخدم", L"English Borelu"}) {
    std::vector<WORD> glyphs(text.size());
    ASSERT_EQ(GetGlyphIndicesW(dib.dc(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                               GGI_MARK_NONEXISTING_GLYPHS),
              text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for U+" << std::hex << int{text[i]};
    }
  }
}

TEST(PaintBuffer, EmptyItemRectanglePaintsNothingAndSurvives) {
  testing::ControlBench bench;
  const HWND control = bench.add(101, "");
  testing::Dib dib(8, 8, palette::White);
  for (const DeviceRect empty : {DeviceRect{3, 3, 3, 3}, DeviceRect{3, 3, 3, 7}}) {
    draw_push_button(testing::draw_item(control, dib.dc(), empty, ODS_FOCUS), "Next",
                     ButtonVariant::primary, nullptr, 2.0f, false, DARK_PALETTE);
  }
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      ASSERT_EQ(dib.pixel(x, y), palette::White) << x << "," << y;
    }
  }
}

TEST(PaintBuffer, NoGdiObjectOutlivesAPaint) {
  testing::ControlBench bench;
  const HWND button = bench.add(101, "");
  const HWND card = bench.add(111, "العربية");
  const HWND row = bench.add(113, "Create a desktop shortcut");
  const WizardFonts fonts = create_wizard_fonts(1.5f);
  testing::Dib dib(1100, 200, palette::Background);
  const auto paint_all = [&] {
    testing::ControlBench::move_onto(button);
    draw_push_button(testing::draw_item(button, dib.dc(), {10, 10, 235, 76}, ODS_FOCUS), "Next",
                     ButtonVariant::primary, fonts[WizardFont::body_semibold], 1.5f, false,
                     DARK_PALETTE);
    testing::ControlBench::leave(button);
    for (const bool on : {false, true}) {
      draw_choice_control(testing::draw_item(card, dib.dc(), {250, 10, 724, 166}, 0),
                          {.kind = ChoiceKind::arabic_card,
                           .on = on,
                           .right_to_left = true,
                           .subtitle = "استخدم Borelu بالعربية",
                           .scale = 1.5f},
                          fonts, DARK_PALETTE);
      // High contrast adds a focus rectangle, one more thing a paint must not leave behind.
      draw_choice_control(testing::draw_item(row, dib.dc(), {10, 100, 982, 181}, ODS_FOCUS),
                          {.kind = ChoiceKind::switch_row, .on = on, .scale = 1.5f}, fonts,
                          high_contrast_palette(testing::HIGH_CONTRAST_BLACK));
    }
  };
  paint_all();  // GDI+ starts and the fonts are realised once
  const std::size_t before = testing::free_gdi_slots();
  for (int i = 0; i < 20; ++i) {
    paint_all();
  }
  EXPECT_EQ(testing::free_gdi_slots(), before);
}

TEST(WindowPlacement, ClientAreaIsTheLogicalSizeAtTheOpeningScaleAndCentredInTheWorkArea) {
  constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const WindowPlacement placement = opening_placement(WIZARD_WIDTH, WIZARD_HEIGHT, kStyle);
  const win::Window window(CreateWindowExW(0, L"STATIC", L"", kStyle, placement.x, placement.y,
                                           placement.width, placement.height, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(window);
  RECT client{};
  GetClientRect(window.get(), &client);
  EXPECT_EQ(client.right, scaled(WIZARD_WIDTH, placement.scale));
  EXPECT_EQ(client.bottom, scaled(WIZARD_HEIGHT, placement.scale));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT& work = monitor.rcWork;
  EXPECT_EQ(placement.x, work.left + (work.right - work.left - placement.width) / 2);
  EXPECT_EQ(placement.y, work.top + (work.bottom - work.top - placement.height) / 2);
}

}  // namespace
}  // namespace borelu::theme
