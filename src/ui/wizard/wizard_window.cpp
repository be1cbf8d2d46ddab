#include "ui/wizard/wizard_window.h"

#include <windows.h>
#include <uxtheme.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "manifest/installation.h"
#include "theme/canvas.h"
#include "theme/choice_controls.h"
#include "theme/dark_frame.h"
#include "theme/fonts.h"
#include "theme/paint_buffer.h"
#include "theme/push_button.h"
#include "theme/system_palette.h"
#include "theme/window_placement.h"
#include "ui/access/accessible_window.h"
#include "ui/access/owner_drawn_control.h"
#include "ui/catalogue.h"
#include "ui/window/owner_drawn_button.h"
#include "ui/window/top_level_window.h"
#include "ui/window/window_prologue.h"
#include "ui/wizard/wizard_access.h"
#include "ui/wizard/wizard_model.h"
#include "win/handles.h"
#include "win/text.h"
#include "win/timeline.h"

namespace borelu::ui::wizard {
namespace {

using theme::DeviceRect;
using theme::WizardFont;

constexpr wchar_t kWizardClass[] = L"Borelu.Setup.Wizard";
constexpr DWORD kWizardStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
static_assert(kWizardStyle == 0x02CA0000);

constexpr DWORD kTermsStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr DWORD kTermsRightToLeft = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;

// The last page shows where the installation goes; looked up whenever it is shown or read, so it
// always says where the installation goes now.
std::string shown_folder(const WizardModel& model) {
  return model.page == PAGE_COUNT - 1 ? manifest::installation_folder().value_or("") : "";
}

// Everything the window procedure works on; lives in run_wizard for the window's whole life.
struct WizardState {
  WizardModel model;
  std::vector<HWND> controls;  // the current page's children, in creation order
  theme::WizardFonts fonts;
  theme::Palette palette = theme::system_palette();
  win::Brush edit_brush;  // the terms text's background, in the palette's surface colour
  float scale = 1.0f;
  std::shared_ptr<AccessibleWindow> access = std::make_shared<AccessibleWindow>(
      [this] { return accessible_page(model, shown_folder(model)); },
      [this](const theme::LogicalRect& rect) { return place(rect); });

  WizardState() = default;
  WizardState(const WizardState&) = delete;  // `access` reads this very object
  WizardState& operator=(const WizardState&) = delete;

  [[nodiscard]] bool right_to_left() const { return is_right_to_left(model.language()); }
  [[nodiscard]] DeviceRect place(const theme::LogicalRect& rect) const {
    return theme::scale_rect(rect, {theme::WIZARD_WIDTH, scale, right_to_left()});
  }
};

// The terms text takes its colours from the palette; Windows draws its scroll bar, dark only
// outside high contrast.
void style_terms_text(HWND edit, const WizardState& state) {
  SetWindowTheme(edit, state.palette.high_contrast ? nullptr : L"DarkMode_Explorer", nullptr);
}

void set_font(HWND control, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND create_control(HWND window, const WizardState& state, const ControlSpec& spec) {
  const DeviceRect r = state.place(spec.rect);
  const std::wstring text = win::widen(spec.text);
  if (spec.kind == ControlKind::terms_text) {
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND edit = CreateWindowExW(state.right_to_left() ? kTermsRightToLeft : 0, L"EDIT",
                                      text.c_str(), kTermsStyle, r.left, r.top, r.width(),
                                      r.height(), window, id, instance, nullptr);
    if (edit != nullptr) {
      set_font(edit, state.fonts[WizardFont::small]);
      style_terms_text(edit, state);
    }
    return edit;
  }
  return create_owner_drawn_button({.parent = window,
                                    .id = spec.id,
                                    .text = text,
                                    .rect = r,
                                    .font = state.fonts[WizardFont::body],
                                    .access = state.access});
}

// Tells a screen reader that a control's state (checked, available) changed.
void notify_state_change(HWND window, int id) {
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, GetDlgItem(window, id), OBJID_CLIENT, CHILDID_SELF);
}

// The controls of the current page, made again from the model: after creation and every change
// of page, language or DPI. The focus goes where a new page puts it, or to `focus`.
void rebuild(HWND window, WizardState& state, std::optional<int> focus = std::nullopt) {
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
  SetFocus(GetDlgItem(window, focus.value_or(initial_focus(state.model))));
  InvalidateRect(window, nullptr, FALSE);
  // A new page, or the same one in another language: its texts and controls are new, and the
  // client object's name (the caption) may have changed.
  notify_accessible_event(window, EVENT_OBJECT_REORDER, CHILDID_SELF);
  notify_accessible_event(window, EVENT_OBJECT_NAMECHANGE, CHILDID_SELF);
}

// `focus`: where the focus goes when the command makes the page again (an arrow key keeps it on
// the language card it chose).
void on_command(HWND window, WizardState& state, int id, std::optional<int> focus = std::nullopt) {
  switch (apply_command(state.model, id)) {
    case Reaction::none:
      break;
    case Reaction::rebuild:
      rebuild(window, state, focus);
      if (choice_kind_for_id(id)) {
        notify_state_change(window, id);  // the language card that is now chosen
      }
      break;
    case Reaction::close:
      DestroyWindow(window);
      break;
    case Reaction::repaint_control:
      InvalidateRect(GetDlgItem(window, id), nullptr, FALSE);
      notify_state_change(window, id);
      break;
    case Reaction::repaint_control_and_next: {
      InvalidateRect(GetDlgItem(window, id), nullptr, FALSE);
      const HWND next = GetDlgItem(window, control::NEXT);
      EnableWindow(next, next_enabled(state.model));
      InvalidateRect(next, nullptr, FALSE);
      notify_state_change(window, id);
      notify_state_change(window, control::NEXT);
      break;
    }
  }
}

// The palette changed: the terms text takes its colours, before everything is drawn again.
void restyle_terms_text(HWND window, WizardState& state) {
  state.edit_brush.reset(CreateSolidBrush(state.palette.surface.colorref()));
  if (const HWND terms = GetDlgItem(window, control::TERMS_TEXT)) {
    style_terms_text(terms, state);
  }
}

void paint(HDC dc, const WizardState& state) {
  const WizardPaint paint = wizard_paint(state.model, shown_folder(state.model), state.palette);
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
                            state.fonts[style->font], state.scale, state.right_to_left(),
                            state.palette);
  } else if (const auto kind = choice_kind_for_id(id)) {
    theme::draw_choice_control(item,
                               {.kind = *kind,
                                .on = is_on(state.model, id),
                                .right_to_left = state.right_to_left(),
                                .subtitle = choice_subtitle(id),
                                .scale = state.scale},
                               state.fonts, state.palette);
  }
}

// The window took its place at another DPI: fonts and controls are made again at the new scale.
void rescale(HWND window, WizardState& state, float scale) {
  state.fonts = theme::WizardFonts();  // the old six go before the new six are made
  state.scale = scale;
  state.fonts = theme::create_wizard_fonts(state.scale);
  rebuild(window, state);
}

// The wizard's part in the messages every window of the program answers alike.
WindowPrologue prologue(WizardState& state) {
  return {.logical_width = theme::WIZARD_WIDTH,
          .logical_height = theme::WIZARD_HEIGHT,
          .access = state.access,
          .palette = state.palette,
          .palette_changed = [&state](HWND window) { restyle_terms_text(window, state); },
          .rescaled = [&state](HWND window, float scale) { rescale(window, state, scale); },
          // The system destroys the children with the window.
          .destroyed = [&state](HWND) { state.controls.clear(); }};
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
  if (const auto answered = answer_prologue(prologue(*state), window, message, wparam, lparam)) {
    return *answered;
  }
  switch (message) {
    case WM_CREATE: {
      const win::timeline::Span span("wizard: created");
      state->access->attach(window);
      theme::apply_dark_frame(window, state->palette);
      rebuild(window, *state);
      return 0;
    }
    case WM_COMMAND:
      on_command(window, *state, LOWORD(wparam));
      return 0;
    case RADIO_ARROW_MESSAGE:
      if (const auto card = radio_group_step(static_cast<int>(wparam), lparam != 0)) {
        on_command(window, *state, *card, *card);
      }
      return 0;
    case WM_PAINT: {
      const win::timeline::Span span("wizard: paint");
      theme::paint_window(window, state->palette.background,
                          [&](HDC dc, const DeviceRect&) { paint(dc, *state); });
      return 0;
    }
    case WM_DRAWITEM:
      draw_item(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, state->palette.text_primary.colorref());
      SetBkColor(dc, state->palette.surface.colorref());
      return reinterpret_cast<LRESULT>(state->edit_brush.get());
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

Result<std::optional<options::SetupOptions>> run_wizard() {
  const theme::WindowPlacement placement =
      theme::opening_placement(theme::WIZARD_WIDTH, theme::WIZARD_HEIGHT, kWizardStyle);
  WizardState state;
  state.scale = placement.scale;
  state.fonts = theme::create_wizard_fonts(state.scale);
  state.edit_brush.reset(CreateSolidBrush(state.palette.surface.colorref()));
  win::timeline::at("wizard fonts made");

  const TopLevelWindow window{kWizardClass, wizard_procedure,
                              win::widen(text::kWizardCaption.english), kWizardStyle};
  const Status shown = run_top_level_window(window, placement, &state, "Open setup wizard");
  state.fonts = theme::WizardFonts();
  state.edit_brush.reset();
  if (!shown) {
    return std::unexpected(shown.error());
  }
  return state.model.result;
}

}  // namespace borelu::ui::wizard
