#include "ui/progress/progress_window.h"

#include <windows.h>

#include <string>
#include <variant>

#include "manifest/update_host.h"
#include "theme/canvas.h"
#include "theme/dark_frame.h"
#include "theme/fonts.h"
#include "theme/hover.h"
#include "theme/paint_buffer.h"
#include "theme/push_button.h"
#include "ui/catalogue.h"
#include "ui/progress/progress_bar.h"
#include "ui/top_level_window.h"
#include "win/text.h"

namespace borelu::ui::progress {
namespace {

using theme::Align;
using theme::DeviceRect;
using theme::LogicalRect;
using theme::ProgressFont;
using theme::TextFormat;

constexpr wchar_t kProgressClass[] = L"Borelu.Progress";
constexpr DWORD kProgressStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
static_assert(kProgressStyle == 0x02C80000);

constexpr int kCancelId = 201;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMillis = 16;

constexpr LogicalRect kCancelButton{380, 178, 112, 38};
constexpr LogicalRect kIcon{28, 26, 34, 34};
constexpr LogicalRect kTitle{76, 24, 416, 26};
constexpr LogicalRect kBrand{76, 50, 200, 18};
constexpr LogicalRect kStatus{28, 84, 464, 44};
constexpr LogicalRect kTrack{28, 140, 464, 10};
constexpr LogicalRect kPercentage{412, 158, 80, 20};
// What the timer repaints: the status line, the bar and the percentage, never the header.
constexpr LogicalRect kAnimatedBand{0, 80, 520, 110};

struct ProgressState {
  controller::MessageReceiver receiver;
  controller::CancelState& cancel;
  Language language;
  std::string title;
  std::string status;
  std::optional<Status> outcome;  // the final result, once the controller has sent it
  theme::ProgressFonts fonts;
  ProgressBar bar;
  float scale;
  HWND cancelButton = nullptr;

  [[nodiscard]] bool right_to_left() const { return is_right_to_left(language); }
  [[nodiscard]] DeviceRect place(const LogicalRect& rect) const {
    return theme::scale_rect(rect, {theme::PROGRESS_WIDTH, scale, right_to_left()});
  }
};

// The window reached a monitor of another DPI: it takes the size and place the system suggests,
// its fonts and the Cancel button are made again at the new scale, and it is drawn anew.
void on_dpi_changed(HWND window, ProgressState& state, WPARAM wparam, const RECT& suggested) {
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  state.fonts = theme::ProgressFonts();  // the old three go before the new three are made
  state.scale = static_cast<float>(HIWORD(wparam)) / 96.0f;
  state.fonts = theme::create_progress_fonts(state.scale);
  const DeviceRect r = state.place(kCancelButton);
  SetWindowPos(state.cancelButton, nullptr, r.left, r.top, r.width(), r.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void create_cancel_button(HWND window, ProgressState& state) {
  const DeviceRect r = state.place(kCancelButton);
  const std::wstring text = win::widen(pick(text::kCancel, state.language));
  state.cancelButton = CreateWindowExW(
      0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, r.left, r.top,
      r.width(), r.height(), window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
      GetModuleHandleW(nullptr), nullptr);
  if (state.cancelButton != nullptr) {
    theme::install_hover_tracking(state.cancelButton);
  }
}

// One timer tick: every pending message, then the easing, then a repaint of the moving band.
void on_timer(HWND window, ProgressState& state) {
  while (auto message = state.receiver.try_receive()) {
    if (auto* finished = std::get_if<controller::Finished>(&*message)) {
      state.outcome = std::move(finished->outcome);
      DestroyWindow(window);
      return;
    }
    auto& progress = std::get<controller::Progress>(*message);
    set_target(state.bar, progress.percent);
    state.status = std::move(progress.text);
  }
  if (state.cancel.phase() == controller::CancelState::Phase::elevation_started) {
    EnableWindow(state.cancelButton, FALSE);
  }
  tick(state.bar);
  const DeviceRect band = state.place(kAnimatedBand);
  const RECT dirty{band.left, band.top, band.right, band.bottom};
  InvalidateRect(window, &dirty, FALSE);
}

void paint(HDC dc, const ProgressState& state) {
  const bool rtl = state.right_to_left();
  const DeviceRect track = state.place(kTrack);
  {
    const theme::Shapes shapes(dc);
    const float radius = 5 * state.scale;
    theme::fill_round_rect(shapes, track, radius, theme::palette::HoverSurface);
    if (const auto fill = bar_fill(state.bar, track.left, track.right, rtl)) {
      theme::fill_round_rect(shapes, DeviceRect{fill->left, track.top, fill->right, track.bottom},
                             radius, theme::palette::Accent);
    }
  }
  const DeviceRect icon = state.place(kIcon);
  theme::draw_app_icon(dc, icon.left, icon.top, theme::scaled(kIcon.w, state.scale));
  theme::draw_text(dc, state.title, state.place(kTitle), state.fonts[ProgressFont::title],
                   theme::palette::TextPrimary, Align::start, rtl,
                   TextFormat::single_line_ellipsis);
  theme::draw_text(dc, text::kBrand.english, state.place(kBrand), state.fonts[ProgressFont::body],
                   theme::palette::TextSecondary, Align::start, rtl, TextFormat::single_line);
  theme::draw_text(dc, state.status, state.place(kStatus), state.fonts[ProgressFont::body],
                   theme::palette::TextPrimary, Align::start, rtl, TextFormat::wrapped_ellipsis);
  if (const auto label = percentage_label(state.bar)) {
    theme::draw_text(dc, *label, state.place(kPercentage), state.fonts[ProgressFont::body],
                     theme::palette::TextSecondary, Align::end, rtl, TextFormat::single_line);
  }
}

// Cancel, Escape or the close box. With a result the window just closes; before it, closing asks
// the controller to cancel, which it refuses once it has asked Windows for elevation.
void on_close_request(HWND window, ProgressState& state) {
  if (state.outcome || state.cancel.request_cancel()) {
    DestroyWindow(window);
  }
}

LRESULT CALLBACK progress_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    keep_window_state(window, lparam);
  }
  auto* state = window_state<ProgressState>(window);
  if (state == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_CREATE:
      theme::apply_dark_frame(window);
      create_cancel_button(window, *state);
      SetTimer(window, kTimerId, kTimerMillis, nullptr);
      return 0;
    case WM_TIMER:
      if (wparam == kTimerId) {
        on_timer(window, *state);
      }
      return 0;
    case WM_PAINT:
      theme::paint_window(window, [&](HDC dc, const DeviceRect&) { paint(dc, *state); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DPICHANGED:
      on_dpi_changed(window, *state, wparam, *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      theme::draw_push_button(item, pick(text::kCancel, state->language),
                              theme::ButtonVariant::secondary, state->fonts[ProgressFont::button],
                              state->scale, state->right_to_left());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kCancelId || LOWORD(wparam) == IDCANCEL) {
        on_close_request(window, *state);
      }
      return 0;
    case WM_CLOSE:
      on_close_request(window, *state);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kTimerId);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

Result<std::optional<Status>> run_progress_window(controller::MessageReceiver receiver,
                                                  controller::CancelState& cancel,
                                                  Language language, std::uint32_t dpi) {
  const float scale = theme::scale_for_dpi(dpi);
  ProgressState state{std::move(receiver),
                      cancel,
                      language,
                      std::string(pick(text::kProgressCaption, language)),
                      initial_status(manifest::UPDATE_HOST, language),
                      std::nullopt,
                      theme::create_progress_fonts(scale),
                      {},
                      scale};
  const auto ran =
      run_top_level_window({kProgressClass, progress_procedure, win::widen(state.title),
                            kProgressStyle, theme::PROGRESS_WIDTH, theme::PROGRESS_HEIGHT},
                           dpi, &state, "Open installation window");
  if (!ran) {
    return std::unexpected(ran.error());
  }
  return std::move(state.outcome);
}

}  // namespace borelu::ui::progress
