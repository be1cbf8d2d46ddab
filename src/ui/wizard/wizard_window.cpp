#include "ui/wizard/wizard_window.h"

#include <windows.h>
#include <uxtheme.h>

#include <string>
#include <variant>
#include <vector>

#include "manifest/installation.h"
#include "theme/canvas.h"
#include "theme/choice_controls.h"
#include "theme/dark_frame.h"
#include "theme/fonts.h"
#include "theme/hover.h"
#include "theme/paint_buffer.h"
#include "theme/push_button.h"
#include "theme/window_placement.h"
#include "ui/catalogue.h"
#include "ui/top_level_window.h"
#include "ui/wizard/wizard_model.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::ui::wizard {
namespace {

using theme::DeviceRect;
using theme::WizardFont;

constexpr wchar_t kWizardClass[] = L"Borelu.Setup.Wizard";
constexpr DWORD kWizardStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
static_assert(kWizardStyle == 0x02CA0000);

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kTermsStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr DWORD kTermsRightToLeft = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;

// Everything the window procedure works on; lives in run_wizard for the window's whole life.
struct WizardState {
  WizardModel model;
  std::vector<HWND> controls;  // the current page's children, in creation order
  theme::WizardFonts fonts;
  HBRUSH edit_brush = nullptr;  // Surface, for the terms text; owned by run_wizard
  float scale = 1.0f;

  [[nodiscard]] bool right_to_left() const { return is_right_to_left(model.language()); }
  [[nodiscard]] DeviceRect place(const theme::LogicalRect& rect) const {
    return theme::scale_rect(rect, {theme::WIZARD_WIDTH, scale, right_to_left()});
  }
};

void set_font(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND create_control(HWND window, const WizardState& state, const ControlSpec& spec) {
  const DeviceRect r = state.place(spec.rect);
  const std::wstring text = win::widen(spec.text);
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id));
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (spec.kind == ControlKind::terms_text) {
    const HWND edit = CreateWindowExW(state.right_to_left() ? kTermsRightToLeft : 0, L"EDIT",
                                      text.c_str(), kTermsStyle, r.left, r.top, r.width(),
                                      r.height(), window, id, instance, nullptr);
    if (edit != nullptr) {
      set_font(edit, state.fonts[WizardFont::small]);
      SetWindowTheme(edit, L"DarkMode_Explorer", nullptr);
    }
    return edit;
  }
  const HWND button = CreateWindowExW(0, L"BUTTON", text.c_str(), kButtonStyle, r.left, r.top,
                                      r.width(), r.height(), window, id, instance, nullptr);
  if (button != nullptr) {
    set_font(button, state.fonts[WizardFont::body]);
    theme::install_hover_tracking(button);
  }
  return button;
}

// The controls of the current page, made again from the model: after creation and every change
// of page, language or DPI.
void rebuild(HWND window, WizardState& state) {
  for (const HWND control : state.controls) {
    DestroyWindow(control);
  }
  state.controls.clear();
  SetWindowTextW(window, win::widen(pick(text::kWizardCaption, state.model.language())).c_str());
  for (const ControlSpec& spec : page_controls(state.model)) {
    if (const HWND control = create_control(window, state, spec)) {
      state.controls.push_back(control);
    }
  }
  EnableWindow(GetDlgItem(window, control::BACK), back_enabled(state.model));
  EnableWindow(GetDlgItem(window, control::NEXT), next_enabled(state.model));
  SetFocus(GetDlgItem(window, initial_focus(state.model)));
  InvalidateRect(window, nullptr, FALSE);
}

void on_command(HWND window, WizardState& state, int id) {
  switch (apply_command(state.model, id)) {
    case Reaction::none:
      break;
    case Reaction::rebuild:
      rebuild(window, state);
      break;
    case Reaction::close:
      DestroyWindow(window);
      break;
    case Reaction::repaint_control:
      InvalidateRect(GetDlgItem(window, id), nullptr, FALSE);
      break;
    case Reaction::repaint_control_and_next: {
      InvalidateRect(GetDlgItem(window, id), nullptr, FALSE);
      const HWND next = GetDlgItem(window, control::NEXT);
      EnableWindow(next, next_enabled(state.model));
      InvalidateRect(next, nullptr, FALSE);
      break;
    }
  }
}

void paint(HDC dc, const WizardState& state) {
  // Looked up on every paint, so the line always shows where the installation goes now.
  std::string folder;
  if (state.model.page == PAGE_COUNT - 1) {
    folder = manifest::installation_folder().value_or("");
  }
  const WizardPaint paint = wizard_paint(state.model, folder);
  {
    const theme::Shapes shapes(dc);
    for (const Shape& shape : paint.shapes) {
      if (const auto* fill = std::get_if<FilledShape>(&shape)) {
        theme::fill_round_rect(shapes, state.place(fill->rect), fill->radius * state.scale,
                               fill->colour, fill->alpha);
      } else if (const auto* outline = std::get_if<OutlinedShape>(&shape)) {
        theme::stroke_round_rect(shapes, state.place(outline->rect), outline->radius * state.scale,
                                 outline->colour, 255, outline->pen_width * state.scale);
      } else if (const auto* dot = std::get_if<Dot>(&shape)) {
        const DeviceRect box = state.place(dot->box);
        theme::fill_circle(shapes, static_cast<float>(box.left), static_cast<float>(box.top),
                           dot->diameter * state.scale, dot->colour);
      }
    }
  }
  const DeviceRect icon = state.place(paint.icon);
  theme::draw_app_icon(dc, icon.left, icon.top, theme::scaled(paint.icon.w, state.scale));
  for (const TextItem& item : paint.texts) {
    theme::draw_text(dc, item.text, state.place(item.rect), state.fonts[item.font], item.colour,
                     item.align, paint.right_to_left, item.format);
  }
}

void draw_item(const WizardState& state, const DRAWITEMSTRUCT& item) {
  const int id = static_cast<int>(item.CtlID);
  if (const auto style = footer_button_style(id)) {
    theme::draw_push_button(item, button_text(state.model, id), style->variant,
                            state.fonts[style->font], state.scale, state.right_to_left());
  } else if (const auto kind = theme::choice_kind_for_id(id)) {
    theme::draw_choice_control(item, *kind, is_on(state.model, id), state.model.language(),
                               state.scale, state.fonts);
  }
}

void on_dpi_changed(HWND window, WizardState& state, WPARAM wparam, const RECT& suggested) {
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  state.fonts = theme::WizardFonts();  // the old six go before the new six are made
  state.scale = static_cast<float>(HIWORD(wparam)) / 96.0f;
  state.fonts = theme::create_wizard_fonts(state.scale);
  rebuild(window, state);
}

LRESULT CALLBACK wizard_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    keep_window_state(window, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  WizardState* state = window_state<WizardState>(window);
  if (state == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_CREATE:
      theme::apply_dark_frame(window);
      rebuild(window, *state);
      return 0;
    case WM_COMMAND:
      on_command(window, *state, LOWORD(wparam));
      return 0;
    case WM_PAINT:
      theme::paint_window(window, [&](HDC dc, const DeviceRect&) { paint(dc, *state); });
      return 0;
    case WM_DRAWITEM:
      draw_item(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, theme::palette::TextPrimary.colorref());
      SetBkColor(dc, theme::palette::Surface.colorref());
      return reinterpret_cast<LRESULT>(state->edit_brush);
    }
    case WM_DPICHANGED:
      on_dpi_changed(window, *state, wparam, *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      state->controls.clear();  // the system destroys the children with the window
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

Result<std::optional<options::SetupOptions>> run_wizard() {
  const std::uint32_t dpi = theme::opening_dpi();
  WizardState state;
  state.scale = theme::scale_for_dpi(dpi);
  state.fonts = theme::create_wizard_fonts(state.scale);
  win::Brush edit_brush(CreateSolidBrush(theme::palette::Surface.colorref()));
  state.edit_brush = edit_brush.get();

  const TopLevelWindow window{
      kWizardClass, wizard_procedure,    win::widen(text::kWizardCaption.english),
      kWizardStyle, theme::WIZARD_WIDTH, theme::WIZARD_HEIGHT};
  const Status shown = run_top_level_window(window, dpi, &state, "Open setup wizard");
  state.fonts = theme::WizardFonts();
  edit_brush.reset();
  if (!shown) {
    return std::unexpected(shown.error());
  }
  return state.model.result;
}

}  // namespace borelu::ui::wizard
