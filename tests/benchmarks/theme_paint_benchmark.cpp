// Run by hand through tests/benchmarks/benchmark_theme.sh: the time to draw the wizard's
// owner-drawn controls once at scale 1.5, and the process's GDI objects before and after 1000
// paints.

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

#include "control_bench.h"
#include "theme/choice_controls.h"
#include "theme/fonts.h"
#include "theme/push_button.h"
#include "ui/catalogue.h"
#include "ui/wizard/wizard_model.h"

namespace {

using namespace borelu;
using Clock = std::chrono::steady_clock;

struct Control {
  HWND window;
  theme::LogicalRect rect;
  int id;
};

// Zero under Wine, which does not count them; testing::free_gdi_slots() counts what is left.
DWORD gdi_objects() {
  return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
}

SIZE_T private_bytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters.PagefileUsage;
}

}  // namespace

int wmain() {
  constexpr float kScale = 1.5f;
  const ui::Language language = ui::Language::english;
  testing::ControlBench bench;
  const Control controls[] = {
      {bench.add(101, ""), {534, 510, 150, 44}, 101},
      {bench.add(102, ""), {412, 510, 112, 44}, 102},
      {bench.add(103, ""), {36, 510, 112, 44}, 103},
      {bench.add(110, "English"), {36, 214, 316, 104}, 110},
      {bench.add(111, "العربية"), {368, 214, 316, 104}, 111},
      {bench.add(112, ui::pick(ui::text::kAgreement, language)), {36, 424, 648, 50}, 112},
      {bench.add(113, ui::pick(ui::text::kSwitchStartup, language)), {36, 200, 648, 54}, 113},
      {bench.add(114, ui::pick(ui::text::kSwitchDesktop, language)), {36, 324, 648, 54}, 114},
      {bench.add(115, ui::pick(ui::text::kSwitchStartMenu, language)), {36, 262, 648, 54}, 115},
  };
  const theme::LogicalSpace space{theme::WIZARD_WIDTH, kScale, false};
  const theme::DeviceRect client =
      theme::scale_rect({0, 0, theme::WIZARD_WIDTH, theme::WIZARD_HEIGHT}, space);
  testing::Dib window(client.width(), client.height(), theme::palette::Background);
  const theme::WizardFonts fonts = theme::create_wizard_fonts(kScale);

  const auto draw_all = [&](bool on) {
    for (const Control& control : controls) {
      const DRAWITEMSTRUCT item = testing::draw_item(
          control.window, window.dc(), theme::scale_rect(control.rect, space), ODS_FOCUS);
      switch (control.id) {
        case 101:
          theme::draw_push_button(item, "Next", theme::ButtonVariant::primary,
                                  fonts[theme::WizardFont::body_semibold], kScale, false,
                                  theme::DARK_PALETTE);
          break;
        case 102:
          theme::draw_push_button(item, "Back", theme::ButtonVariant::secondary,
                                  fonts[theme::WizardFont::body_semibold], kScale, false,
                                  theme::DARK_PALETTE);
          break;
        case 103:
          theme::draw_push_button(item, "Cancel", theme::ButtonVariant::ghost,
                                  fonts[theme::WizardFont::body], kScale, false,
                                  theme::DARK_PALETTE);
          break;
        default:
          theme::draw_choice_control(item,
                                     {.kind = *ui::wizard::choice_kind_for_id(control.id),
                                      .on = on,
                                      .right_to_left = ui::is_right_to_left(language),
                                      .subtitle = ui::wizard::choice_subtitle(control.id),
                                      .scale = kScale},
                                     fonts, theme::DARK_PALETTE);
      }
    }
    GdiFlush();
  };

  const DWORD before_first = gdi_objects();
  auto start = Clock::now();
  draw_all(true);
  const double first_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

  const DWORD before = gdi_objects();
  const std::size_t slots_before = testing::free_gdi_slots();
  const SIZE_T memory_before = private_bytes();
  constexpr int kPaints = 1000;
  start = Clock::now();
  for (int i = 0; i < kPaints; ++i) {
    draw_all(i % 2 == 0);
  }
  const double total_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const DWORD after = gdi_objects();
  const std::size_t slots_after = testing::free_gdi_slots();
  const SIZE_T memory_after = private_bytes();

  std::printf("controls drawn per set: %zu (scale %.1f)\n", std::size(controls), kScale);
  std::printf("first set (GDI+ start-up, fonts realised): %.2f ms\n", first_ms);
  std::printf("one set, mean of %d: %.3f ms\n", kPaints, total_ms / kPaints);
  std::printf("GDI objects: %lu before the first set, %lu before and %lu after %d sets\n",
              before_first, before, after, kPaints);
  std::printf("GDI objects that could still be created: %zu before, %zu after\n", slots_before,
              slots_after);
  std::printf("committed memory (PagefileUsage): %zu KiB before, %zu KiB after\n",
              memory_before / 1024, memory_after / 1024);
  return 0;
}
