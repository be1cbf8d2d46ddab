#include "ui/progress/progress_window.h"

#include <windows.h>

#include <memory>
#include <string>
#include <variant>

#include "manifest/update_host.h"
#include "theme/canvas.h"
#include "theme/dark_frame.h"
#include "theme/fonts.h"
#include "theme/paint_buffer.h"
#include "theme/push_button.h"
#include "theme/system_palette.h"
#include "ui/access/accessible_window.h"
#include "ui/catalogue.h"
#include "ui/progress/progress_access.h"
#include "ui/progress/progress_bar.h"
#include "ui/progress/progress_layout.h"
#include "ui/window/owner_drawn_button.h"
#include "ui/window/top_level_window.h"
#include "ui/window/window_prologue.h"
#include "win/text.h"
#include "win/timeline.h"

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

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMillis = 16;

struct ProgressState {
  MessageReceiver receiver;
  CancelRequest& cancel;
  Language language;
  std::string title;
  std::string status;
  std::optional<Status> outcome;  // the final result, once the run has sent it
  theme::ProgressFonts fonts;
  ProgressBar bar;
  float scale;
  HWND cancelButton = nullptr;
  theme::Palette palette = theme::system_palette();
  // The bar as the last repaint asked for it, and so what a screen reader was last told of it:
  // nothing when no tick has asked yet.
  std::optional<BarFrame> paintedFrame = std::nullopt;
  bool cancelWithdrawn = false;
  std::shared_ptr<AccessibleWindow> access = std::make_shared<AccessibleWindow>(
      [this] {
        return accessible_progress({.title = title,
                                    .status = status,
                                    .bar = bar,
                                    .cancel_available = !cancelWithdrawn,
                                    .language = language});
      },
      [this](const LogicalRect& rect) { return place(rect); });

  [[nodiscard]] bool right_to_left() const { return is_right_to_left(language); }
  [[nodiscard]] DeviceRect place(const LogicalRect& rect) const {
    return theme::scale_rect(rect, {theme::PROGRESS_WIDTH, scale, right_to_left()});
  }
};

// The window took its place at another DPI: its fonts and the Cancel button are made again at
// the new scale, and it is drawn anew.
void rescale(HWND window, ProgressState& state, float scale) {
  state.fonts = theme::ProgressFonts();  // the old three go before the new three are made
  state.scale = scale;
  state.fonts = theme::create_progress_fonts(state.scale);
  const DeviceRect r = state.place(CANCEL_BUTTON);
  SetWindowPos(state.cancelButton, nullptr, r.left, r.top, r.width(), r.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void create_cancel_button(HWND window, ProgressState& state) {
  const DeviceRect r = state.place(CANCEL_BUTTON);
  const std::wstring text = win::widen(pick(text::kCancel, state.language));
  state.cancelButton = create_owner_drawn_button({.parent = window,
                                                  .id = CANCEL_ID,
                                                  .text = text,
                                                  .rect = r,
                                                  .font = nullptr,
                                                  .access = state.access});
}

// One timer tick: every pending message, then the easing, then a repaint of the moving band.
void on_timer(HWND window, ProgressState& state) {
  bool status_changed = false;
  while (auto message = state.receiver.try_receive()) {
    if (auto* finished = std::get_if<Finished>(&*message)) {
      state.outcome = std::move(finished->outcome);
      DestroyWindow(window);
      return;
    }
    auto& progress = std::get<Progress>(*message);
    set_target(state.bar, progress.percent);
    if (progress.text != state.status) {
      state.status = std::move(progress.text);
      status_changed = true;
    }
  }
  if (state.cancel.cancel_withdrawn()) {
    EnableWindow(state.cancelButton, FALSE);
    if (!state.cancelWithdrawn) {
      state.cancelWithdrawn = true;
      NotifyWinEvent(EVENT_OBJECT_STATECHANGE, state.cancelButton, OBJID_CLIENT, CHILDID_SELF);
    }
  }
  tick(state.bar);
  // The band is painted again only when what it shows changes: a bar that has arrived, or moves
  // by less than a pixel, costs no paint at 60 frames a second on the cores the download and the
  // worker need.
  const DeviceRect track = state.place(TRACK);
  BarFrame frame = bar_frame(state.bar, track.left, track.right, state.right_to_left());
  if (status_changed || frame != state.paintedFrame) {
    const DeviceRect band = state.place(ANIMATED_BAND);
    const RECT dirty{band.left, band.top, band.right, band.bottom};
    InvalidateRect(window, &dirty, FALSE);
  }

  if (status_changed) {
    notify_accessible_event(window, EVENT_OBJECT_NAMECHANGE, STATUS_CHILD);
  }
  if (spoken_value_changed(state.paintedFrame, frame)) {
    notify_accessible_event(window, EVENT_OBJECT_VALUECHANGE, BAR_CHILD);
  }
  state.paintedFrame = std::move(frame);
}

// Everything of the window that lies in `area`: a timer tick asks only for the moving band, and
// the header above it is then left alone.
void paint(HDC dc, const ProgressState& state, const DeviceRect& area) {
  const bool rtl = state.right_to_left();
  const theme::Palette& p = state.palette;
  const DeviceRect track = state.place(TRACK);
  {
    const theme::Shapes shapes(dc);
    const float radius = 5 * state.scale;
    theme::fill_round_rect(shapes, track, radius, p.hover_surface);
    if (const auto fill = bar_fill(state.bar, track.left, track.right, rtl)) {
      theme::fill_round_rect(shapes, DeviceRect{fill->left, track.top, fill->right, track.bottom},
                             radius, p.accent);
    }
    if (p.high_contrast) {  // the track's own fill is the window's colour
      theme::stroke_round_rect(shapes, track, radius, p.border, 255, state.scale);
    }
  }
  if (const DeviceRect icon = state.place(ICON); icon.overlaps(area)) {
    theme::draw_app_icon(dc, icon.left, icon.top, theme::scaled(ICON.w, state.scale));
  }
  if (const DeviceRect title = state.place(TITLE); title.overlaps(area)) {
    theme::draw_text(dc, state.title, title, state.fonts[ProgressFont::title], p.text_primary,
                     Align::start, rtl, TextFormat::single_line_ellipsis);
  }
  if (const DeviceRect brand = state.place(BRAND); brand.overlaps(area)) {
    theme::draw_text(dc, text::kBrand.english, brand, state.fonts[ProgressFont::body],
                     p.text_secondary, Align::start, rtl, TextFormat::single_line);
  }
  theme::draw_text(dc, state.status, state.place(STATUS), state.fonts[ProgressFont::body],
                   p.text_primary, Align::start, rtl, TextFormat::wrapped_ellipsis);
  if (const auto label = percentage_label(state.bar)) {
    theme::draw_text(dc, *label, state.place(PERCENTAGE), state.fonts[ProgressFont::body],
                     p.text_secondary, Align::end, rtl, TextFormat::single_line);
  }
}

// Cancel, Escape or the close box. With a result the window just closes; before it, closing asks
// the run to cancel, which it refuses once it has asked Windows for elevation.
void on_close_request(HWND window, ProgressState& state) {
  if (state.outcome || state.cancel.request_cancel()) {
    DestroyWindow(window);
  }
}

// The progress window's part in the messages every window of the program answers alike.
WindowPrologue prologue(ProgressState& state) {
  return {.logical_width = theme::PROGRESS_WIDTH,
          .logical_height = theme::PROGRESS_HEIGHT,
          .access = state.access,
          .palette = state.palette,
          .palette_changed = nullptr,
          .rescaled = [&state](HWND window, float scale) { rescale(window, state, scale); },
          .destroyed = [](HWND window) { KillTimer(window, kTimerId); }};
}

LRESULT CALLBACK progress_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    keep_window_state(window, lparam);
  }
  auto* state = window_state<ProgressState>(window);
  if (state == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (const auto answered = answer_prologue(prologue(*state), window, message, wparam, lparam)) {
    return *answered;
  }
  switch (message) {
    case WM_CREATE:
      state->access->attach(window);
      theme::apply_dark_frame(window, state->palette);
      create_cancel_button(window, *state);
      SetTimer(window, kTimerId, kTimerMillis, nullptr);
      return 0;
    case WM_TIMER:
      if (wparam == kTimerId) {
        const win::timeline::Span span("progress window: timer");
        on_timer(window, *state);
      }
      return 0;
    case WM_PAINT: {
      const win::timeline::Span span("progress window: paint");
      theme::paint_window(window, state->palette.background,
                          [&](HDC dc, const DeviceRect& area) { paint(dc, *state, area); });
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      theme::draw_push_button(item, pick(text::kCancel, state->language),
                              theme::ButtonVariant::secondary, state->fonts[ProgressFont::button],
                              state->scale, state->right_to_left(), state->palette);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == CANCEL_ID || LOWORD(wparam) == IDCANCEL) {
        on_close_request(window, *state);
      }
      return 0;
    case WM_CLOSE:
      on_close_request(window, *state);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

Result<std::optional<Status>> run_progress_window(MessageReceiver receiver, CancelRequest& cancel,
                                                  Language language) {
  const theme::WindowPlacement placement =
      theme::opening_placement(theme::PROGRESS_WIDTH, theme::PROGRESS_HEIGHT, kProgressStyle);
  const float scale = placement.scale;
  ProgressState state{.receiver = std::move(receiver),
                      .cancel = cancel,
                      .language = language,
                      .title = std::string(pick(text::kProgressCaption, language)),
                      .status = initial_status(manifest::UPDATE_HOST, language),
                      .outcome = std::nullopt,
                      .fonts = theme::create_progress_fonts(scale),
                      .bar = {},
                      .scale = scale};
  const auto ran = run_top_level_window(
      {kProgressClass, progress_procedure, win::widen(state.title), kProgressStyle}, placement,
      &state, "Open installation window");
  if (!ran) {
    return std::unexpected(ran.error());
  }
  return std::move(state.outcome);
}

}  // namespace borelu::ui::progress
