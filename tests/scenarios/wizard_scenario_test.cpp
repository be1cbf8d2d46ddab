// The setup wizard of BoreluSetup.exe (no arguments), used from outside with real mouse and key
// input: the page walk and its rules, the Arabic mirror, every way out, and the DPI rules.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "control_bench.h"
#include "process_runner.h"
#include "theme/choice_layout.h"
#include "theme/geometry.h"
#include "theme/window_placement.h"
#include "ui/wizard/wizard_model.h"
#include "ui_driver.h"
#include "win/handles.h"

namespace borelu::testing {
namespace {

using namespace ui::wizard::control;
using ui::wizard::WizardModel;

constexpr wchar_t kWizardClass[] = L"Borelu.Setup.Wizard";
constexpr DWORD kWizardStyle = 0x02CA0000;
constexpr auto kWait = std::chrono::seconds(20);
constexpr char kNotYetBuilt[] = "The installation run is not part of this build yet.";

bool same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT device(const theme::LogicalRect& logical, float scale, bool rtl) {
  const theme::DeviceRect r = theme::scale_rect(logical, {theme::kWizardWidth, scale, rtl});
  return RECT{r.left, r.top, r.right, r.bottom};
}

// One BoreluSetup.exe in wizard mode, and the page it is expected to show: `model` follows every
// command the test gives, so each check compares the window with where the wizard should be.
class Wizard {
 public:
  explicit Wizard(float scale = 1.0f)
      : process_(L"\"" + program_path("BORELU_SETUP_EXE") + L"\"", ChildProcess::Start::running),
        scale_(scale) {
    window_ = wait_for_window(process_.pid(), kWizardClass, kWait).value_or(nullptr);
  }

  [[nodiscard]] HWND window() const { return window_; }
  [[nodiscard]] WindowView view() const { return read_window(window_); }
  [[nodiscard]] WizardModel& model() { return model_; }
  void set_scale(float scale) { scale_ = scale; }
  [[nodiscard]] bool rtl() const { return ui::is_right_to_left(model_.language()); }

  // A click or key that gives the wizard `command`; waits until the page it leads to shows.
  void click_and_follow(int id) {
    const auto reaction = ui::wizard::apply_command(model_, id);
    click(window_, id);
    if (reaction == ui::wizard::Reaction::rebuild) {
      wait_for_page();
    }
  }
  void key_and_follow(WORD key, int command) {
    const auto reaction = ui::wizard::apply_command(model_, command);
    press_key(window_, key);
    if (reaction == ui::wizard::Reaction::rebuild) {
      wait_for_page();
    }
  }

  // Waits until the window shows the model's page in the model's language.
  void wait_for_page() {
    const auto expected = ui::wizard::page_controls(model_);
    const std::string caption = rtl() ? "تثبيت Borelu" : "Borelu Setup";
    ASSERT_TRUE(wait_until(
        [&] {
          const WindowView v = view();
          return v.caption == caption && v.controls.size() == expected.size() &&
                 v.controls.front().id == expected.front().id &&
                 v.controls.back().text == expected.back().text;
        },
        kWait))
        << "page " << int(model_.page) + 1;
  }

  // The window shows exactly the model's page: controls in creation order at their scaled,
  // mirrored rectangles with their texts, Back and Next enabled by the rules, and the focus
  // where a new page puts it.
  void expect_page(bool check_focus = true) const {
    const WindowView v = view();
    const auto expected = ui::wizard::page_controls(model_);
    EXPECT_EQ(v.caption, rtl() ? "تثبيت Borelu" : "Borelu Setup");
    ASSERT_EQ(v.controls.size(), expected.size()) << "page " << int(model_.page) + 1;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const ControlView& c = v.controls[i];
      EXPECT_EQ(c.id, expected[i].id) << i;
      EXPECT_TRUE(same_rect(c.rect, device(expected[i].rect, scale_, rtl())))
          << c.id << " at " << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
          << c.rect.bottom;
      EXPECT_EQ(c.text, expected[i].text) << c.id;
      EXPECT_TRUE(c.visible) << c.id;
    }
    EXPECT_EQ(v.control(kBack)->enabled, ui::wizard::back_enabled(model_));
    EXPECT_EQ(v.control(kNext)->enabled, ui::wizard::next_enabled(model_));
    if (check_focus) {
      EXPECT_EQ(v.focusedId, ui::wizard::initial_focus(model_));
    }
  }

  // Whether the screen shows switch `id` on: an "on" switch has its white knob at the end side.
  [[nodiscard]] bool switch_shows_on(int id) const {
    park_pointer();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const ControlView* c = view().control(id);
    if (c == nullptr) {
      return false;
    }
    const theme::DeviceRect item{0, 0, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top};
    const theme::PointF knob = theme::switch_layout(item, true, scale_, rtl()).knob.centre();
    const auto image = capture_client(window_);
    return image->pixel(c->rect.left + static_cast<int>(knob.x),
                        c->rect.top + static_cast<int>(knob.y)) == theme::palette::White;
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
          if (auto dialog = take_dialog(process_.pid(), std::chrono::milliseconds(0), &seen)) {
            ending.wizardGoneBeforeDialog &= !has_window(process_.pid(), kWizardClass);
            ending.dialogs.push_back(std::move(*dialog));
          }
          return process_.ended();
        },
        kWait);
    GetExitCodeProcess(process_.process(), &ending.exitCode);
    return ending;
  }

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
  WizardModel model_;
  float scale_;
};

void expect_ends_silently(Wizard& wizard, const std::string& how) {
  const Wizard::Ending ending = wizard.finish();
  EXPECT_EQ(ending.exitCode, 1u) << how;
  EXPECT_TRUE(ending.dialogs.empty()) << how;
}

std::string terms_shown(const Wizard& wizard) {
  return wizard.view().control(kTermsText)->text;
}

TEST(WizardScenario, WalksEveryPageForwardAndBackAndConfirmsWithInstall) {
  Wizard wizard;
  ASSERT_NE(wizard.window(), nullptr);
  WindowView v = wizard.view();
  EXPECT_EQ(v.client.cx, 720);
  EXPECT_EQ(v.client.cy, 580);
  const theme::WindowPlacement centred =
      theme::centred_placement(720, 580, kWizardStyle, USER_DEFAULT_SCREEN_DPI);
  EXPECT_TRUE(same_rect(
      v.outer, RECT{centred.x, centred.y, centred.x + centred.width, centred.y + centred.height}));
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(wizard.window(), GWL_STYLE)) &
                ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            kWizardStyle);
  wizard.expect_page();

  // Back is disabled on the first page, and forced anyway it does nothing.
  send_command(wizard.window(), kBack);
  wizard.expect_page();

  wizard.click_and_follow(kNext);
  wizard.expect_page();  // Next disabled, the agreement focused
  EXPECT_EQ(wizard.view().control(kTermsText)->extendedStyle & ~WS_EX_NOPARENTNOTIFY, 0);
  EXPECT_EQ(terms_shown(wizard), ui::wizard::page_controls(wizard.model())[0].text);
  EXPECT_NE(terms_shown(wizard).find("Version: 19 October 2026\r\n"), std::string::npos);

  // Enter before the terms are accepted does nothing: the click after it lands on page 2.
  press_key(wizard.window(), VK_RETURN);
  wizard.click_and_follow(kAgreement);
  ASSERT_TRUE(wait_until([&] { return wizard.view().control(kNext)->enabled; }, kWait));
  EXPECT_NE(wizard.view().control(kTermsText), nullptr) << "Enter left the terms page";
  // Ticked twice: unticked, Next disabled again. Space ticks it a third time.
  wizard.click_and_follow(kAgreement);
  EXPECT_TRUE(wait_until([&] { return !wizard.view().control(kNext)->enabled; }, kWait));
  wizard.key_and_follow(VK_SPACE, kAgreement);
  EXPECT_TRUE(wait_until([&] { return wizard.view().control(kNext)->enabled; }, kWait));
  wizard.key_and_follow(VK_RETURN, kEnterKey);
  wizard.expect_page();

  // Tab moves the focus from Next round to the first switch; Space turns it on.
  press_key(wizard.window(), VK_TAB);
  EXPECT_TRUE(wait_until([&] { return wizard.view().focusedId == kStartupSwitch; }, kWait));
  wizard.key_and_follow(VK_SPACE, kStartupSwitch);
  EXPECT_TRUE(wait_until([&] { return wizard.switch_shows_on(kStartupSwitch); }, kWait));

  wizard.click_and_follow(kNext);
  wizard.expect_page();  // "Install"
  for (int back = 0; back < 3; ++back) {
    wizard.click_and_follow(kBack);
    wizard.expect_page(false);  // the clicked Back may keep the focus on the way
    if (wizard.model().page == 2) {
      EXPECT_TRUE(wizard.switch_shows_on(kStartupSwitch));
      EXPECT_TRUE(wizard.switch_shows_on(kStartMenuSwitch));
      EXPECT_FALSE(wizard.switch_shows_on(kDesktopSwitch));
    }
  }
  EXPECT_EQ(wizard.model().page, 0);
  for (int next = 0; next < 3; ++next) {
    wizard.click_and_follow(kNext);
  }
  wizard.expect_page();

  click(wizard.window(), kNext);  // Install
  const Wizard::Ending ending = wizard.finish();
  EXPECT_EQ(ending.exitCode, 1u);
  ASSERT_EQ(ending.dialogs.size(), 1u);
  EXPECT_TRUE(ending.wizardGoneBeforeDialog);
  EXPECT_EQ(ending.dialogs[0].title, "Borelu");
  EXPECT_FALSE(ending.dialogs[0].rightToLeft);
  EXPECT_TRUE(ending.dialogs[0].shows("The operation could not finish"));
  EXPECT_TRUE(ending.dialogs[0].shows(kNotYetBuilt));
}

// Walks to `page` (0 to 3) the way a user does.
void walk_to(Wizard& wizard, int page) {
  while (wizard.model().page < page) {
    if (wizard.model().page == 1 && !wizard.model().terms_accepted()) {
      wizard.click_and_follow(kAgreement);
      ASSERT_TRUE(wait_until([&] { return wizard.view().control(kNext)->enabled; }, kWait));
    }
    wizard.click_and_follow(kNext);
  }
}

TEST(WizardScenario, ArabicMirrorsTheLayoutAndLanguageChangesKeepPageAndChoices) {
  Wizard wizard;
  ASSERT_NE(wizard.window(), nullptr);
  wizard.click_and_follow(kArabicCard);
  wizard.expect_page();
  const WindowView v = wizard.view();
  EXPECT_EQ(v.control(kNext)->rect.left, 36);
  EXPECT_EQ(v.control(kCancel)->rect.left, 572);
  EXPECT_EQ(v.control(kArabicCard)->rect.left, 36);
  EXPECT_EQ(v.control(kEnglishCard)->rect.left, 368);

  wizard.click_and_follow(kNext);
  wizard.expect_page();
  EXPECT_EQ(wizard.view().control(kTermsText)->extendedStyle &
                (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR),
            WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR);
  EXPECT_EQ(terms_shown(wizard), ui::wizard::page_controls(wizard.model())[0].text);
  EXPECT_NE(terms_shown(wizard).find("الإصدار: 19 أكتوبر 2026\r\n"), std::string::npos);
  wizard.click_and_follow(kAgreement);
  ASSERT_TRUE(wait_until([&] { return wizard.view().control(kNext)->enabled; }, kWait));
  wizard.click_and_follow(kNext);
  wizard.click_and_follow(kDesktopSwitch);
  EXPECT_TRUE(wait_until([&] { return wizard.switch_shows_on(kDesktopSwitch); }, kWait));

  // Back to the first page and over to English: the page and every choice stay.
  wizard.click_and_follow(kBack);
  wizard.click_and_follow(kBack);
  wizard.click_and_follow(kEnglishCard);
  wizard.expect_page(false);
  EXPECT_EQ(wizard.model().page, 0);
  wizard.click_and_follow(kNext);
  wizard.expect_page();  // Next enabled: the acceptance was kept
  EXPECT_NE(terms_shown(wizard).find("Version: 19 October 2026\r\n"), std::string::npos);
  EXPECT_EQ(wizard.view().control(kTermsText)->extendedStyle &
                (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR),
            0);
  wizard.click_and_follow(kNext);
  EXPECT_TRUE(wizard.switch_shows_on(kDesktopSwitch));
  EXPECT_FALSE(wizard.switch_shows_on(kStartupSwitch));
  EXPECT_TRUE(wizard.switch_shows_on(kStartMenuSwitch));

  // Confirmed in Arabic, the wizard's language becomes the language of what follows.
  wizard.click_and_follow(kBack);
  wizard.click_and_follow(kBack);
  wizard.click_and_follow(kArabicCard);
  walk_to(wizard, 3);
  click(wizard.window(), kNext);
  const Wizard::Ending ending = wizard.finish();
  EXPECT_EQ(ending.exitCode, 1u);
  ASSERT_EQ(ending.dialogs.size(), 1u);
  EXPECT_TRUE(ending.dialogs[0].rightToLeft);
  EXPECT_TRUE(ending.dialogs[0].shows("التفاصيل الفنية"));
  EXPECT_TRUE(ending.dialogs[0].shows(kNotYetBuilt));
}

TEST(WizardScenario, EveryWayOutButInstallEndsWithOneAndShowsNothing) {
  const struct {
    int page;
    const char* how;
    std::function<void(HWND)> close;
  } cases[] = {
      {0, "Escape", [](HWND w) { press_key(w, VK_ESCAPE); }},
      {1, "Cancel", [](HWND w) { click(w, kCancel); }},
      {2, "close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {3, "WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
      {3, "Escape on the last page", [](HWND w) { press_key(w, VK_ESCAPE); }},
      {3, "Cancel on the last page", [](HWND w) { click(w, kCancel); }},
  };
  for (const auto& c : cases) {
    Wizard wizard;
    ASSERT_NE(wizard.window(), nullptr) << c.how;
    walk_to(wizard, c.page);
    c.close(wizard.window());
    expect_ends_silently(wizard, c.how);
  }
}

// The user's DPI setting of the test prefix, set for one test and put back after it.
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.put(), nullptr);
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key_.get(), kName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                         &size) == ERROR_SUCCESS) {
      previous_ = value;
    }
    set(dpi);
  }
  SystemDpi(const SystemDpi&) = delete;
  SystemDpi& operator=(const SystemDpi&) = delete;
  ~SystemDpi() {
    if (previous_) {
      set(*previous_);
    } else {
      RegDeleteValueW(key_.get(), kName);
    }
  }

 private:
  static constexpr wchar_t kName[] = L"LogPixels";
  void set(DWORD dpi) {
    RegSetValueExW(key_.get(), kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  }
  win::RegistryKey key_;
  std::optional<DWORD> previous_;
};

TEST(WizardScenario, SystemDpiSetsTheScaleAndDpiChangeRebuildsAtTheNewOne) {
  const SystemDpi dpi(144);
  Wizard wizard(1.5f);
  ASSERT_NE(wizard.window(), nullptr);
  EXPECT_EQ(wizard.view().client.cx, 1080);
  EXPECT_EQ(wizard.view().client.cy, 870);
  wizard.expect_page();
  walk_to(wizard, 2);
  wizard.click_and_follow(kStartupSwitch);
  ASSERT_TRUE(wait_until([&] { return wizard.switch_shows_on(kStartupSwitch); }, kWait));

  // The window is told it reached a monitor of 120 DPI and where to go.
  RECT suggested{0, 0, 900, 725};
  AdjustWindowRectExForDpi(&suggested, kWizardStyle, FALSE, 0, 120);
  OffsetRect(&suggested, 100 - suggested.left, 60 - suggested.top);
  ASSERT_TRUE(send_dpi_changed(wizard.window(), 120, suggested));
  wizard.set_scale(1.25f);
  const WindowView v = wizard.view();
  EXPECT_TRUE(same_rect(v.outer, suggested))
      << v.outer.left << "," << v.outer.top << "," << v.outer.right << "," << v.outer.bottom;
  wizard.expect_page();  // page 3 at 1.25, rebuilt
  EXPECT_TRUE(wizard.switch_shows_on(kStartupSwitch));
  EXPECT_TRUE(wizard.switch_shows_on(kStartMenuSwitch));
  EXPECT_FALSE(wizard.switch_shows_on(kDesktopSwitch));
  wizard.click_and_follow(kBack);
  wizard.expect_page(false);  // the acceptance too: Next enabled on the terms page

  press_key(wizard.window(), VK_ESCAPE);
  expect_ends_silently(wizard, "Escape at 144 DPI");
}

}  // namespace
}  // namespace borelu::testing
