// The setup wizard of BoreluSetup.exe (no arguments), used from outside with real mouse and key
// input: the page walk and its rules, the Arabic mirror, every way out, and the DPI rules.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "control_bench.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "process_runner.h"
#include "theme/choice_layout.h"
#include "theme/screen_fit.h"
#include "theme/window_placement.h"
#include "ui/wizard/wizard_model.h"
#include "ui_driver.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

using namespace ui::wizard::control;
namespace wizard_model = ui::wizard;

constexpr wchar_t kWizardClass[] = L"Borelu.Setup.Wizard";
constexpr DWORD kWizardStyle = 0x02CA0000;
constexpr DWORD kArabicEdit = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
constexpr auto kWait = std::chrono::seconds(20);
constexpr char kQuitFirst[] =
    "Choose Quit from Borelu's tray icon before installing or repairing the app.";

// An installed Borelu that is running, so that Install ends at the check that follows the wizard
// (with a dialog in the wizard's language) before anything is downloaded.
class RunningBorelu {
 public:
  RunningBorelu()
      : folder_(*manifest::installation_folder()),
        createdFolder_(CreateDirectoryW(win::widen(folder_).c_str(), nullptr) != FALSE),
        application_(join_path(folder_, "Borelu.exe")),
        copied_(CopyFileW(program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                          win::widen(application_).c_str(), TRUE) != FALSE) {
    process_.emplace(L"\"" + win::widen(application_) + L"\"");
  }
  ~RunningBorelu() {
    process_.reset();  // ends it
    if (copied_)
      DeleteFileW(win::widen(application_).c_str());
    if (createdFolder_)
      RemoveDirectoryW(win::widen(folder_).c_str());
  }
  RunningBorelu(const RunningBorelu&) = delete;
  RunningBorelu& operator=(const RunningBorelu&) = delete;

 private:
  std::string folder_;
  bool createdFolder_;
  std::string application_;
  bool copied_;
  std::optional<ChildProcess> process_;
};

// One BoreluSetup.exe in wizard mode and the page it should show: `model` takes every command the
// test gives, so each check compares the window with where the wizard should be.
struct Wizard {
  explicit Wizard(float scale_ = 1.0f)
      : process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\"", ChildProcess::Start::running),
        window(wait_for_window(process.pid(), kWizardClass, kWait).value_or(nullptr)),
        scale(scale_) {}

  [[nodiscard]] WindowView view() const { return read_window(window); }
  [[nodiscard]] bool rtl() const { return ui::is_right_to_left(model.language()); }

  // Gives the wizard `command` through `input`; when that makes a new page, waits for it.
  void act(int command, const std::function<void()>& input) {
    const bool rebuilds = apply_command(model, command) == wizard_model::Reaction::rebuild;
    input();
    const auto expected = page_controls(model);
    const std::string caption = rtl() ? "تثبيت Borelu" : "Borelu Setup";
    ASSERT_TRUE(!rebuilds || wait_until(
                                 [&] {
                                   const WindowView v = view();
                                   return v.caption == caption &&
                                          v.controls.size() == expected.size() &&
                                          v.controls.front().id == expected.front().id &&
                                          v.controls.back().text == expected.back().text;
                                 },
                                 kWait))
        << "page " << model.page + 1;
  }
  void click_on(int id) {
    act(id, [&] { click(window, id); });
  }
  void press(WORD key, int command) {
    act(command, [&] { press_key(window, key); });
  }
  bool next_becomes(bool enabled) const {
    return wait_until([&] { return view().control(NEXT)->enabled == enabled; }, kWait);
  }

  // The window shows exactly the model's page: controls in creation order at their scaled,
  // mirrored rectangles with their texts, Back and Next enabled by the rules, the focus where a
  // new page puts it.
  void expect_page(bool check_focus = true) const {
    const WindowView v = view();
    const auto expected = page_controls(model);
    EXPECT_EQ(v.caption, rtl() ? "تثبيت Borelu" : "Borelu Setup");
    ASSERT_EQ(v.controls.size(), expected.size()) << "page " << model.page + 1;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const ControlView& c = v.controls[i];
      const theme::DeviceRect r =
          theme::scale_rect(expected[i].rect, {theme::WIZARD_WIDTH, scale, rtl()});
      const RECT placed{r.left, r.top, r.right, r.bottom};
      EXPECT_EQ(c.id, expected[i].id) << i;
      EXPECT_TRUE(EqualRect(&c.rect, &placed))
          << c.id << " at " << c.rect.left << "," << c.rect.top;
      EXPECT_EQ(c.text, expected[i].text) << c.id;
    }
    EXPECT_EQ(v.control(BACK)->enabled, back_enabled(model));
    EXPECT_EQ(v.control(NEXT)->enabled, next_enabled(model));
    if (check_focus) {
      EXPECT_EQ(v.focusedId, initial_focus(model));
    }
  }

  // Whether the screen shows switch `id` on: an "on" switch has its white knob at the end side.
  [[nodiscard]] bool switch_on(int id) const {
    park_pointer();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const ControlView* c = view().control(id);
    const theme::DeviceRect item{0, 0, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top};
    const theme::PointF knob =
        theme::switch_layout(item, true, scale, rtl(), theme::DARK_PALETTE).knob.centre();
    return capture_client(window)->pixel(c->rect.left + static_cast<int>(knob.x),
                                         c->rect.top + static_cast<int>(knob.y)) ==
           theme::palette::White;
  }

  // Walks on to `page` (0 to 3) the way a user does.
  void walk_to(int page) {
    while (model.page < page) {
      if (model.page == 1 && !model.terms_accepted()) {
        click_on(AGREEMENT);
        ASSERT_TRUE(next_becomes(true));
      }
      click_on(NEXT);
    }
  }

  struct Ending {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<DialogSnapshot> dialogs;
    bool wizardGoneBeforeDialog = true;
  };

  // Waits for the process to end, reading and closing every dialog it shows.
  Ending finish() {
    Ending ending;
    std::vector<HWND> seen;
    wait_until(
        [&] {
          if (auto dialog = take_dialog(process.pid(), std::chrono::milliseconds(0), &seen)) {
            ending.wizardGoneBeforeDialog &= !has_window(process.pid(), kWizardClass);
            ending.dialogs.push_back(std::move(*dialog));
          }
          return process.ended();
        },
        kWait);
    GetExitCodeProcess(process.process(), &ending.exitCode);
    return ending;
  }

  void expect_ends_silently(const std::string& how) {
    const Ending ending = finish();
    EXPECT_EQ(ending.exitCode, 1u) << how;
    EXPECT_TRUE(ending.dialogs.empty()) << how;
  }

  [[nodiscard]] const ControlView terms() const { return *view().control(TERMS_TEXT); }

  ChildProcess process;
  HWND window;
  wizard_model::WizardModel model;
  float scale;
};

TEST(WizardScenario, WalksEveryPageForwardAndBackAndConfirmsWithInstall) {
  Wizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  const WindowView v = wizard.view();
  EXPECT_EQ(v.client.cx, 720);
  EXPECT_EQ(v.client.cy, 580);
  const auto centred = theme::opening_placement(720, 580, kWizardStyle);
  const RECT outer{centred.x, centred.y, centred.x + centred.width, centred.y + centred.height};
  EXPECT_TRUE(EqualRect(&v.outer, &outer));
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(wizard.window, GWL_STYLE)) &
                ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            kWizardStyle);
  wizard.expect_page();

  // Back is disabled on the first page, and forced anyway it does nothing.
  send_command(wizard.window, BACK);
  wizard.expect_page();

  wizard.click_on(NEXT);
  wizard.expect_page();  // Next disabled, the agreement focused
  EXPECT_EQ(wizard.terms().text, page_controls(wizard.model)[0].text);
  EXPECT_NE(wizard.terms().text.find("Version: 19 October 2026\r\n"), std::string::npos);
  EXPECT_EQ(wizard.terms().extendedStyle & kArabicEdit, 0);

  // Enter before the terms are accepted does nothing: the click after it still finds page 2.
  press_key(wizard.window, VK_RETURN);
  wizard.click_on(AGREEMENT);
  ASSERT_TRUE(wizard.next_becomes(true));
  EXPECT_NE(wizard.view().control(TERMS_TEXT), nullptr) << "Enter left the terms page";
  // Ticked twice: unticked, Next disabled again. Space ticks it once more, Enter goes on.
  wizard.click_on(AGREEMENT);
  EXPECT_TRUE(wizard.next_becomes(false));
  wizard.press(VK_SPACE, AGREEMENT);
  EXPECT_TRUE(wizard.next_becomes(true));
  wizard.press(VK_RETURN, ENTER_KEY);
  wizard.expect_page();

  // Tab moves the focus from Next round to the first switch; Space turns it on.
  press_key(wizard.window, VK_TAB);
  EXPECT_TRUE(wait_until([&] { return wizard.view().focusedId == STARTUP_SWITCH; }, kWait));
  wizard.press(VK_SPACE, STARTUP_SWITCH);
  EXPECT_TRUE(wait_until([&] { return wizard.switch_on(STARTUP_SWITCH); }, kWait));

  wizard.click_on(NEXT);
  wizard.expect_page();  // "Install"
  for (int back = 0; back < 3; ++back) {
    wizard.click_on(BACK);
    wizard.expect_page();
    if (wizard.model.page == 2) {
      EXPECT_TRUE(wizard.switch_on(STARTUP_SWITCH));
      EXPECT_TRUE(wizard.switch_on(START_MENU_SWITCH));
      EXPECT_FALSE(wizard.switch_on(DESKTOP_SWITCH));
    }
  }
  wizard.walk_to(3);
  wizard.expect_page();

  const RunningBorelu running;
  click(wizard.window, NEXT);  // Install
  const Wizard::Ending ending = wizard.finish();
  EXPECT_EQ(ending.exitCode, 1u);
  ASSERT_EQ(ending.dialogs.size(), 1u);
  EXPECT_TRUE(ending.wizardGoneBeforeDialog);
  EXPECT_EQ(ending.dialogs[0].title, "Borelu");
  EXPECT_FALSE(ending.dialogs[0].rightToLeft);
  EXPECT_TRUE(ending.dialogs[0].shows("Borelu is still running"));
  EXPECT_TRUE(ending.dialogs[0].shows(kQuitFirst));
}

TEST(WizardScenario, ArabicMirrorsTheLayoutAndLanguageChangesKeepPageAndChoices) {
  Wizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  wizard.click_on(ARABIC_CARD);
  wizard.expect_page();
  const WindowView v = wizard.view();
  EXPECT_EQ(v.control(NEXT)->rect.left, 36);
  EXPECT_EQ(v.control(CANCEL)->rect.left, 572);
  EXPECT_EQ(v.control(ARABIC_CARD)->rect.left, 36);

  wizard.click_on(NEXT);
  wizard.expect_page();
  EXPECT_EQ(wizard.terms().extendedStyle & kArabicEdit, kArabicEdit);
  EXPECT_EQ(wizard.terms().text, page_controls(wizard.model)[0].text);
  EXPECT_NE(wizard.terms().text.find("الإصدار: 19 أكتوبر 2026\r\n"), std::string::npos);
  wizard.walk_to(2);
  wizard.click_on(DESKTOP_SWITCH);
  EXPECT_TRUE(wait_until([&] { return wizard.switch_on(DESKTOP_SWITCH); }, kWait));

  // Back to the first page and over to English: the page and every choice stay.
  wizard.click_on(BACK);
  wizard.click_on(BACK);
  wizard.click_on(ENGLISH_CARD);
  wizard.expect_page();
  wizard.click_on(NEXT);
  wizard.expect_page();  // Next enabled: the acceptance was kept
  EXPECT_NE(wizard.terms().text.find("Version: 19 October 2026\r\n"), std::string::npos);
  EXPECT_EQ(wizard.terms().extendedStyle & kArabicEdit, 0);
  wizard.click_on(NEXT);
  EXPECT_TRUE(wizard.switch_on(DESKTOP_SWITCH));
  EXPECT_FALSE(wizard.switch_on(STARTUP_SWITCH));
  EXPECT_TRUE(wizard.switch_on(START_MENU_SWITCH));

  // Confirmed in Arabic, the wizard's language becomes the language of what follows.
  wizard.click_on(BACK);
  wizard.click_on(BACK);
  wizard.click_on(ARABIC_CARD);
  wizard.walk_to(3);
  const RunningBorelu running;
  click(wizard.window, NEXT);
  const Wizard::Ending ending = wizard.finish();
  EXPECT_EQ(ending.exitCode, 1u);
  ASSERT_EQ(ending.dialogs.size(), 1u);
  EXPECT_TRUE(ending.dialogs[0].rightToLeft);
  EXPECT_TRUE(ending.dialogs[0].shows("Borelu ما زال يعمل"));
  EXPECT_TRUE(ending.dialogs[0].shows("التفاصيل الفنية"));
  EXPECT_TRUE(ending.dialogs[0].shows(kQuitFirst));
}

TEST(WizardScenario, EveryWayOutButInstallEndsWithOneAndShowsNothing) {
  const struct {
    int page;
    const char* how;
    std::function<void(HWND)> close;
  } cases[] = {
      {0, "Escape", [](HWND w) { press_key(w, VK_ESCAPE); }},
      {1, "Cancel", [](HWND w) { click(w, CANCEL); }},
      {2, "close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {3, "WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
      {3, "Escape on the last page", [](HWND w) { press_key(w, VK_ESCAPE); }},
      {3, "Cancel on the last page", [](HWND w) { click(w, CANCEL); }},
  };
  for (const auto& c : cases) {
    Wizard wizard;
    ASSERT_NE(wizard.window, nullptr) << c.how;
    wizard.walk_to(c.page);
    c.close(wizard.window);
    wizard.expect_ends_silently(c.how);
  }
}

// Enter activates the push button that has the keyboard focus; on any other control it is Next.
// A user who tabs to Cancel and presses Enter must never start the installation.
TEST(WizardScenario, EnterActsOnTheFocusedPushButtonAndElsewhereIsNext) {
  const struct {
    int page;
    int tabs;  // Tab presses from the page's initial focus
    int focused;
    int command;  // what Enter must do
  } cases[] = {
      {3, 1, CANCEL, CANCEL},        // the last page: Install is the initial focus
      {2, 5, BACK, BACK},            // through the three switches and Cancel
      {2, 1, STARTUP_SWITCH, NEXT},  // a switch is not a push button
      {0, 1, ENGLISH_CARD, NEXT},
  };
  for (const auto& c : cases) {
    Wizard wizard;
    ASSERT_NE(wizard.window, nullptr);
    wizard.walk_to(c.page);
    for (int i = 0; i < c.tabs; ++i) {
      press_key(wizard.window, VK_TAB);
    }
    ASSERT_TRUE(wait_until([&] { return wizard.view().focusedId == c.focused; }, kWait))
        << "page " << c.page + 1 << ": focus on " << wizard.view().focusedId;
    if (c.command == CANCEL) {
      const RunningBorelu running;  // an Install would end at its dialog instead
      press_key(wizard.window, VK_RETURN);
      wizard.expect_ends_silently("Enter on Cancel");
      continue;
    }
    wizard.press(VK_RETURN, c.command);
    wizard.expect_page(false);
    press_key(wizard.window, VK_ESCAPE);
    wizard.expect_ends_silently("Escape");
  }
}

// The language cards are a radio group: an arrow key chooses the other card, and the focus stays
// on the card chosen, in either direction and either language.
TEST(WizardScenario, ArrowKeysMoveTheLanguageChoiceAndTheFocusWithIt) {
  Wizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  press_key(wizard.window, VK_TAB);  // from Next round to the first card
  ASSERT_TRUE(wait_until([&] { return wizard.view().focusedId == ENGLISH_CARD; }, kWait));
  const struct {
    WORD key;
    int chosen;
  } steps[] = {{VK_RIGHT, ARABIC_CARD},
               {VK_RIGHT, ENGLISH_CARD},
               {VK_UP, ARABIC_CARD},
               {VK_LEFT, ENGLISH_CARD}};
  for (const auto& step : steps) {
    wizard.press(step.key, step.chosen);
    wizard.expect_page(false);
    EXPECT_TRUE(wait_until([&] { return wizard.view().focusedId == step.chosen; }, kWait))
        << "key " << step.key;
  }
  press_key(wizard.window, VK_ESCAPE);
  wizard.expect_ends_silently("Escape");
}

// The prefix user's DPI setting, which Wine's GetDpiForSystem reads: set for one test, then put
// back as it was.
struct SystemDpi {
  explicit SystemDpi(DWORD dpi) {
    DWORD size = sizeof previous;
    had_value = RegGetValueW(HKEY_CURRENT_USER, kKey, kName, RRF_RT_REG_DWORD, nullptr, &previous,
                             &size) == ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kName, REG_DWORD, &dpi, sizeof dpi);
  }
  ~SystemDpi() {
    if (had_value) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kName, REG_DWORD, &previous, sizeof previous);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kName);
    }
  }
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static constexpr wchar_t kName[] = L"LogPixels";
  DWORD previous = 0;
  bool had_value = false;
};

TEST(WizardScenario, SystemDpiSetsTheScaleAndDpiChangeRebuildsAtTheNewOne) {
  const SystemDpi dpi(144);
  Wizard wizard(1.5f);
  ASSERT_NE(wizard.window, nullptr);
  EXPECT_EQ(wizard.view().client.cx, 1080);
  EXPECT_EQ(wizard.view().client.cy, 870);
  wizard.expect_page();
  wizard.walk_to(2);
  wizard.click_on(STARTUP_SWITCH);
  ASSERT_TRUE(wait_until([&] { return wizard.switch_on(STARTUP_SWITCH); }, kWait));

  // The window is told it reached a monitor of 120 DPI and where to go.
  RECT suggested{0, 0, 900, 725};
  AdjustWindowRectExForDpi(&suggested, kWizardStyle, FALSE, 0, 120);
  OffsetRect(&suggested, 100 - suggested.left, 60 - suggested.top);
  ASSERT_TRUE(send_dpi_changed(wizard.window, 120, suggested));
  wizard.scale = 1.25f;
  const RECT outer = wizard.view().outer;
  EXPECT_TRUE(EqualRect(&outer, &suggested)) << outer.left << "," << outer.top;
  wizard.expect_page();  // the same page, rebuilt at 1.25
  EXPECT_TRUE(wizard.switch_on(STARTUP_SWITCH));
  EXPECT_TRUE(wizard.switch_on(START_MENU_SWITCH));
  EXPECT_FALSE(wizard.switch_on(DESKTOP_SWITCH));
  wizard.click_on(BACK);
  wizard.expect_page();  // Next enabled: the acceptance too

  press_key(wizard.window, VK_ESCAPE);
  wizard.expect_ends_silently("Escape at 144 DPI");
}

// On a small screen (ctest runs these in a session of their own, on a 1366 x 768 display): the
// wizard opens in the work area at the largest scale that fits, lays every page out at that
// scale and keeps every control on the screen, also after a DPI change.
theme::MonitorArea primary_work_area(std::uint32_t dpi) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return {dpi, {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom}};
}

theme::PixelSize wizard_frame(std::uint32_t dpi) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectExForDpi(&frame, kWizardStyle, FALSE, 0, dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

bool inside(const RECT& inner, const theme::DeviceRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Every control of the page, in screen coordinates, lies in the work area.
void expect_controls_on_screen(const Wizard& wizard, const theme::DeviceRect& work) {
  POINT origin{0, 0};
  ClientToScreen(wizard.window, &origin);
  for (const ControlView& c : wizard.view().controls) {
    RECT on_screen = c.rect;
    OffsetRect(&on_screen, origin.x, origin.y);
    EXPECT_TRUE(inside(on_screen, work)) << "control " << c.id << " page " << wizard.model.page + 1;
  }
}

TEST(SmallScreen, TheWizardOpensAtTheLargestScaleThatFitsTheWorkArea) {
  const theme::DeviceRect screen{0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN)};
  ASSERT_EQ(screen, (theme::DeviceRect{0, 0, 1366, 768})) << "run on a 1366 x 768 display";
  // 100 % and 125 % fit a screen without a taskbar; 150 % (1080 x 870) does not.
  for (const auto& [dpi, shrinks] : {std::pair{96u, false}, {120u, false}, {144u, true}}) {
    SCOPED_TRACE(dpi);
    const SystemDpi system(dpi);
    const theme::MonitorArea monitor = primary_work_area(dpi);
    const theme::ScreenFit fit =
        theme::fit_window(theme::WIZARD_WIDTH, theme::WIZARD_HEIGHT, wizard_frame(dpi), monitor);
    EXPECT_EQ(fit.dpi < dpi, shrinks);
    EXPECT_GE(fit.dpi, 96u);
    Wizard wizard(fit.scale);
    ASSERT_NE(wizard.window, nullptr);
    const WindowView v = wizard.view();
    std::cout << "screen 1366 x 768 at " << dpi << " DPI: the wizard opens at " << fit.dpi
              << " DPI, client " << v.client.cx << " x " << v.client.cy << ", window at ("
              << v.outer.left << ", " << v.outer.top << ") to (" << v.outer.right << ", "
              << v.outer.bottom << ")\n";
    EXPECT_EQ(v.client.cx, theme::scaled(theme::WIZARD_WIDTH, fit.scale));
    EXPECT_EQ(v.client.cy, theme::scaled(theme::WIZARD_HEIGHT, fit.scale));
    const RECT expected{fit.outer.left, fit.outer.top, fit.outer.right, fit.outer.bottom};
    EXPECT_TRUE(EqualRect(&v.outer, &expected));
    EXPECT_TRUE(inside(v.outer, monitor.work));
    // Every page at that scale, every control reachable: Next and Install included.
    for (int page = 0; page < wizard_model::PAGE_COUNT; ++page) {
      wizard.walk_to(page);
      wizard.expect_page();
      expect_controls_on_screen(wizard, monitor.work);
    }
    press_key(wizard.window, VK_ESCAPE);
    wizard.expect_ends_silently("Escape");
  }
}

TEST(SmallScreen, ADpiChangeThatWouldNotFitRefitsTheWizard) {
  Wizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  wizard.walk_to(3);
  // The system suggests the wizard at 150 %, as it would on a larger monitor.
  RECT suggested{0, 0, 1080, 870};
  AdjustWindowRectExForDpi(&suggested, kWizardStyle, FALSE, 0, 144);
  OffsetRect(&suggested, 200 - suggested.left, 100 - suggested.top);
  ASSERT_TRUE(send_dpi_changed(wizard.window, 144, suggested));
  const theme::MonitorArea monitor = primary_work_area(144);
  const theme::ScreenFit fit =
      theme::refit_window(theme::WIZARD_WIDTH, theme::WIZARD_HEIGHT, wizard_frame(144), monitor,
                          {suggested.left, suggested.top, suggested.right, suggested.bottom});
  ASSERT_LT(fit.dpi, 144u);
  wizard.scale = fit.scale;
  const WindowView v = wizard.view();
  std::cout << "told of 144 DPI on 1366 x 768: rebuilt at " << fit.dpi << " DPI, client "
            << v.client.cx << " x " << v.client.cy << ", window at (" << v.outer.left << ", "
            << v.outer.top << ")\n";
  // Wine keeps the frame at the DPI the window has, so the outer rectangle is what can be compared.
  const RECT expected{fit.outer.left, fit.outer.top, fit.outer.right, fit.outer.bottom};
  EXPECT_TRUE(EqualRect(&v.outer, &expected));
  EXPECT_TRUE(inside(v.outer, monitor.work));
  wizard.expect_page();  // the same page, rebuilt at the fitted scale
  expect_controls_on_screen(wizard, monitor.work);
  press_key(wizard.window, VK_ESCAPE);
  wizard.expect_ends_silently("Escape after the DPI change");
}

}  // namespace
}  // namespace borelu::testing
