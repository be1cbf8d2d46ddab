// Setup as a screen-reader user meets it: the real BoreluSetup.exe read and used from this
// process through Active Accessibility alone (AccessibleObjectFromWindow, AccessibleChildren,
// accDoDefaultAction and an out-of-context WinEvent hook), with no mouse or key input. Every page
// in both languages, a whole installation against the fixture host, and a cancel.

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <thread>

#include "controller/com_apartment.h"
#include "dialog_reader.h"
#include "installed_state.h"
#include "manifest/installation.h"
#include "process_runner.h"
#include "screen_reader.h"
#include "test_prefix.h"
#include "theme/geometry.h"
#include "ui/progress/progress_access.h"
#include "ui/progress/progress_layout.h"
#include "ui/wizard/wizard_access.h"
#include "ui_driver.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

using namespace std::chrono_literals;
using ui::wizard::WizardModel;
namespace control = ui::wizard::control;

constexpr auto kWait = 20s;

std::string role_name(LONG role) {
  switch (role) {
    case ROLE_SYSTEM_STATICTEXT:
      return "text";
    case ROLE_SYSTEM_PUSHBUTTON:
      return "button";
    case ROLE_SYSTEM_RADIOBUTTON:
      return "radio";
    case ROLE_SYSTEM_CHECKBUTTON:
      return "check";
    case ROLE_SYSTEM_PROGRESSBAR:
      return "bar";
    case ROLE_SYSTEM_TEXT:
      return "edit";
    case ROLE_SYSTEM_CLIENT:
      return "client";
    default:
      return "role " + std::to_string(role);
  }
}

std::string place(const RECT& r) {
  return " @" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// One child as a screen reader hears it. The terms text is the system's own edit control: its
// text is its value, which is checked apart.
std::string describe(const AccessibleView& view) {
  std::string line = role_name(view.role) + " " + view.name;
  if (view.value && view.role != ROLE_SYSTEM_TEXT) {
    line += " = " + *view.value;
  }
  if (!view.description.empty()) {
    line += " (" + view.description + ")";
  }
  for (const auto& [bit, word] : {std::pair{STATE_SYSTEM_CHECKED, "checked"},
                                  {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
                                  {STATE_SYSTEM_FOCUSED, "focused"}}) {
    if (view.has(bit)) {
      line += std::string(" [") + word + "]";
    }
  }
  if (!view.defaultAction.empty()) {
    line += " <" + view.defaultAction + ">";
  }
  return line + place(view.location);
}

std::vector<std::string> describe(const AccessibleTree& tree) {
  std::vector<std::string> lines{role_name(tree.role) + " " + tree.name};
  for (const AccessibleView& view : tree.children) {
    lines.push_back(describe(view));
  }
  return lines;
}

RECT screen_rect_of(HWND window, const theme::DeviceRect& client) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return {origin.x + client.left, origin.y + client.top, origin.x + client.right,
          origin.y + client.bottom};
}

// What the wizard should tell a screen reader on the page `model` is on, with the focus on
// `focus`: the portable description, placed where this window shows it.
std::vector<std::string> expected_page(HWND wizard, const WizardModel& model, int focus) {
  const bool rtl = ui::is_right_to_left(model.language());
  std::vector<std::string> lines{"client " + std::string(rtl ? "تثبيت Borelu" : "Borelu Setup")};
  const std::string folder =
      model.page == ui::wizard::PAGE_COUNT - 1 ? manifest::installation_folder().value_or("") : "";
  for (const ui::AccessibleItem& item : ui::wizard::accessible_page(model, folder)) {
    static const std::string kRoles[] = {"text", "button", "radio", "check", "bar", "edit"};
    std::string line = kRoles[static_cast<int>(item.role)] + " " + item.name;
    if (item.value) {
      line += " = " + *item.value;
    }
    if (!item.description.empty()) {
      line += " (" + item.description + ")";
    }
    if (item.checked) {
      line += " [checked]";
    }
    if (item.unavailable) {
      line += " [unavailable]";
    }
    if (item.control != 0 && item.control == focus) {
      line += " [focused]";
    }
    if (!item.default_action.empty()) {
      line += " <" + std::string(item.default_action) + ">";
    }
    RECT where{};
    if (item.role == ui::AccessibleRole::standard) {
      // The system's own object of the terms text gives its client area, inside the scroll bar.
      const HWND edit = GetDlgItem(wizard, item.control);
      GetClientRect(edit, &where);
      MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&where), 2);
    } else if (item.control != 0) {
      GetWindowRect(GetDlgItem(wizard, item.control), &where);
    } else {
      where = screen_rect_of(wizard, theme::scale_rect(item.rect, {theme::WIZARD_WIDTH, 1, rtl}));
    }
    lines.push_back(line + place(where));
  }
  return lines;
}

void print_tree(const char* title, const std::vector<std::string>& lines) {
  std::printf("-- %s\n", title);
  for (const std::string& line : lines) {
    std::printf("   %s\n", line.c_str());
  }
}

void print_events(const char* title, const std::vector<WinEventLog::Event>& events) {
  std::printf("-- events: %s\n", title);
  for (const auto& e : events) {
    std::printf("   %s on %s, object %ld, child %ld%s%s\n", event_name(e.event).c_str(),
                e.source.c_str(), e.object, e.child, e.text.empty() ? "" : ": ", e.text.c_str());
  }
}

bool heard(const std::vector<WinEventLog::Event>& events, DWORD event, HWND window,
           LONG child = CHILDID_SELF) {
  return std::ranges::any_of(events, [&](const WinEventLog::Event& e) {
    return e.event == event && e.window == window && e.object == OBJID_CLIENT && e.child == child;
  });
}

// The wizard of one BoreluSetup.exe and the page it should be on.
struct SpokenWizard {
  SpokenWizard()
      : process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\"", ChildProcess::Start::running),
        window(wait_for_window(process.pid(), L"Borelu.Setup.Wizard", kWait).value_or(nullptr)) {}

  // Reads the page until it is the one the model is on (a default action's command arrives a
  // moment after the call), then compares it whole.
  void expect_page(const char* title = nullptr) {
    const int focus = focused.value_or(ui::wizard::initial_focus(model));
    std::vector<std::string> seen;
    const auto expected = expected_page(window, model, focus);
    wait_until(
        [&] {
          const auto tree = read_accessible_tree(window);
          seen = tree ? describe(*tree) : std::vector<std::string>{"<unreadable>"};
          return seen == expected;
        },
        kWait);
    EXPECT_EQ(seen, expected) << "page " << model.page + 1 << " in " << model.choices.language;
    if (title != nullptr) {
      print_tree(title, seen);
    }
  }

  // A control's default action, found by the name a screen reader reads; the model takes the
  // same command.
  void act(int id) {
    const auto items = ui::wizard::accessible_page(model, "");
    const ui::AccessibleItem* item = ui::find_control(items, id);
    ASSERT_NE(item, nullptr) << id;
    ASSERT_TRUE(do_default_action(window, item->name)) << item->name;
    if (apply_command(model, id) == ui::wizard::Reaction::rebuild) {
      focused.reset();
    }
  }

  ChildProcess process;
  HWND window;
  WizardModel model;
  std::optional<int> focused;  // where the focus is when it is not where the page put it
};

TEST(ScreenReader, ReadsEveryPageInBothLanguagesAndWalksItByDefaultActions) {
  SpokenWizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  WinEventLog events(wizard.process.pid());
  wizard.expect_page("page 1, English");

  // A language card's default action chooses it; the page is rebuilt in Arabic and announced.
  wizard.act(control::ARABIC_CARD);
  wizard.focused = control::NEXT;
  wizard.expect_page("page 1, Arabic");
  const auto language_events = events.take();
  EXPECT_TRUE(heard(language_events, EVENT_OBJECT_REORDER, wizard.window));
  EXPECT_TRUE(heard(language_events, EVENT_OBJECT_STATECHANGE,
                    GetDlgItem(wizard.window, control::ARABIC_CARD)));

  wizard.act(control::NEXT);
  wizard.expect_page("page 2, Arabic");
  const auto page_events = events.take();
  print_events("a page change (Next)", page_events);
  EXPECT_TRUE(heard(page_events, EVENT_OBJECT_REORDER, wizard.window));
  EXPECT_TRUE(heard(page_events, EVENT_OBJECT_NAMECHANGE, wizard.window));
  // The terms are the edit control's value, in the page's language.
  const auto terms = read_accessible_tree(wizard.window);
  ASSERT_TRUE(terms);
  EXPECT_NE(terms->children[2].value.value_or("").find("الإصدار: 19 أكتوبر 2026"),
            std::string::npos);

  wizard.act(control::AGREEMENT);
  wizard.expect_page();
  // Forced on a disabled control, a default action does nothing, as a click would not.
  wizard.act(control::NEXT);
  wizard.expect_page("page 3, Arabic");
  events.take();
  wizard.act(control::DESKTOP_SWITCH);
  wizard.expect_page();
  const auto toggle_events = events.take();
  print_events("a switch toggled", toggle_events);
  EXPECT_TRUE(heard(toggle_events, EVENT_OBJECT_STATECHANGE,
                    GetDlgItem(wizard.window, control::DESKTOP_SWITCH)));
  wizard.act(control::NEXT);
  wizard.expect_page("page 4, Arabic");

  for (int back = 0; back < 3; ++back) {
    wizard.act(control::BACK);
    wizard.expect_page();
  }
  wizard.act(control::ENGLISH_CARD);
  wizard.focused = control::NEXT;
  wizard.expect_page();
  wizard.act(control::NEXT);
  wizard.expect_page("page 2, English");
  wizard.act(control::NEXT);
  wizard.expect_page("page 3, English");
  wizard.act(control::NEXT);
  wizard.expect_page("page 4, English");

  // Cancel's default action ends the wizard as Cancel does: nothing shown, exit code 1.
  wizard.act(control::CANCEL);
  ASSERT_TRUE(wait_until([&] { return wizard.process.ended(); }, kWait));
  DWORD code = 0;
  GetExitCodeProcess(wizard.process.process(), &code);
  EXPECT_EQ(code, 1u);
}

TEST(ScreenReader, ADisabledControlRefusesItsDefaultAction) {
  SpokenWizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  EXPECT_FALSE(do_default_action(wizard.window, "Back"));  // page 1
  wizard.act(control::NEXT);
  wizard.expect_page();
  EXPECT_FALSE(do_default_action(wizard.window, "Next"));  // terms not accepted
  std::this_thread::sleep_for(300ms);
  wizard.expect_page();  // still page 2
  wizard.act(control::CANCEL);
  EXPECT_TRUE(wait_until([&] { return wizard.process.ended(); }, kWait));
}

// What a navigation, a hit test or a focus query answers: a painted item's id on the client
// object, or a control's own object.
struct Reached {
  win::ComPtr<IAccessible> object;  // the client's, or the control's own
  LONG child = CHILDID_SELF;

  [[nodiscard]] std::string name() const {
    BSTR text = nullptr;
    std::string out;
    if (object && object->get_accName(id(child), &text) == S_OK) {
      out = win::narrow(std::wstring_view(text, SysStringLen(text)));
    }
    SysFreeString(text);
    return out;
  }
  static VARIANT id(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }
};

// `answer` as the element it names: a child id names one of the client's items, whichever of
// the window's objects gave it; nothing for anything else.
std::optional<Reached> reached(IAccessible* client, VARIANT& answer) {
  std::optional<Reached> out;
  if (answer.vt == VT_I4) {
    client->AddRef();
    out = Reached{win::ComPtr<IAccessible>(client), answer.lVal};
  } else if (answer.vt == VT_DISPATCH && answer.pdispVal != nullptr) {
    Reached own;
    if (SUCCEEDED(answer.pdispVal->QueryInterface(__uuidof(IAccessible), own.object.put_void()))) {
      out = std::move(own);
    }
  }
  VariantClear(&answer);
  return out;
}

// Navigation, hit testing, the focus and the parent lead to what the page lists, through the
// client object and through the controls' own objects alike.
TEST(ScreenReader, NavigationHitTestsFocusAndParentFollowThePage) {
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  SpokenWizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  wizard.expect_page();
  const auto items = ui::wizard::accessible_page(wizard.model, "");
  std::vector<std::string> names;
  for (const ui::AccessibleItem& item : items) {
    names.push_back(item.name);
  }
  win::ComPtr<IAccessible> client;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(wizard.window, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible), client.put_void())));

  // Every step forward from the first child, and back from the last, each from the element the
  // step before reached.
  for (const auto& [start, step] :
       {std::pair{NAVDIR_FIRSTCHILD, NAVDIR_NEXT}, {NAVDIR_LASTCHILD, NAVDIR_PREVIOUS}}) {
    std::vector<std::string> walked;
    VARIANT answer;
    ASSERT_EQ(client->accNavigate(start, Reached::id(CHILDID_SELF), &answer), S_OK);
    std::optional<Reached> at = reached(client.get(), answer);
    while (at) {
      walked.push_back(at->name());
      if (at->object->accNavigate(step, Reached::id(at->child), &answer) != S_OK) {
        break;
      }
      at = reached(client.get(), answer);
    }
    std::vector<std::string> expected = names;
    if (step == NAVDIR_PREVIOUS) {
      std::ranges::reverse(expected);
    }
    EXPECT_EQ(walked, expected) << "direction " << step;
  }

  // A point at the middle of each item hits it; the client's own corner hits the client.
  for (std::size_t i = 0; i < items.size(); ++i) {
    LONG x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(client->accLocation(&x, &y, &w, &h, Reached::id(ui::accessible_child_id(i))), S_OK);
    VARIANT answer;
    ASSERT_EQ(client->accHitTest(x + w / 2, y + h / 2, &answer), S_OK) << names[i];
    const auto hit = reached(client.get(), answer);
    ASSERT_TRUE(hit) << names[i];
    EXPECT_EQ(hit->name(), names[i]);
    EXPECT_EQ(hit->child, items[i].control != 0 ? CHILDID_SELF : ui::accessible_child_id(i));
  }
  RECT window{};
  GetClientRect(wizard.window, &window);
  MapWindowPoints(wizard.window, nullptr, reinterpret_cast<POINT*>(&window), 2);
  VARIANT corner;
  ASSERT_EQ(client->accHitTest(window.left, window.top, &corner), S_OK);
  EXPECT_TRUE(corner.vt == VT_I4 && corner.lVal == CHILDID_SELF);
  EXPECT_EQ(client->accHitTest(window.left - 1, window.top, &corner), S_FALSE);

  // The focus is on Next, which the client gives as Next's object; Next's object says it has
  // the focus itself, Back's that it has none; a control's parent is the client.
  VARIANT focus;
  ASSERT_EQ(client->get_accFocus(&focus), S_OK);
  const auto next = reached(client.get(), focus);
  ASSERT_TRUE(next && next->child == CHILDID_SELF);
  EXPECT_EQ(next->name(), "Next");
  ASSERT_EQ(next->object->get_accFocus(&focus), S_OK);
  EXPECT_TRUE(focus.vt == VT_I4 && focus.lVal == CHILDID_SELF);
  VARIANT back;
  ASSERT_EQ(next->object->accNavigate(NAVDIR_PREVIOUS, Reached::id(CHILDID_SELF), &back), S_OK);
  const auto back_object = reached(client.get(), back);
  ASSERT_TRUE(back_object);
  EXPECT_EQ(back_object->name(), "Back");
  EXPECT_EQ(back_object->object->get_accFocus(&focus), S_FALSE);
  win::ComPtr<IDispatch> parent;
  ASSERT_EQ(next->object->get_accParent(parent.put()), S_OK);
  Reached up;
  ASSERT_TRUE(SUCCEEDED(parent->QueryInterface(__uuidof(IAccessible), up.object.put_void())));
  VARIANT role;
  ASSERT_EQ(up.object->get_accRole(Reached::id(CHILDID_SELF), &role), S_OK);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);
  LONG count = 0;
  ASSERT_EQ(up.object->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, static_cast<LONG>(items.size()));

  wizard.act(control::CANCEL);
  EXPECT_TRUE(wait_until([&] { return wizard.process.ended(); }, kWait));
}

// --- with the fixture update host

std::string host_file(const std::string& name) {
  return win::narrow(program_path("BORELU_HOST_ROOT")) + "\\" + name;
}

class ScreenReaderInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    remove_installation();
    clean_stages();
  }
  void TearDown() override {
    set_rules("{}");
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
    remove_installation();
    clean_stages();
  }
  static void clean_stages() {
    for (const auto& stage : staging_folders()) {
      std::error_code ignored;
      std::filesystem::remove_all(
          std::filesystem::path(win::widen(updates_folder() + "\\" + stage)), ignored);
    }
  }
  static void set_rules(const std::string& rules) {
    ASSERT_TRUE(win::write_whole_file(host_file("rules.json"), rules));
  }

  // The wizard walked to Install by default actions alone, English, the defaults kept.
  static void install_by_default_actions(SpokenWizard& wizard) {
    for (const int id : {control::NEXT, control::AGREEMENT, control::NEXT, control::NEXT}) {
      wizard.act(id);
      wizard.expect_page();
    }
    wizard.act(control::NEXT);  // Install
  }
};

// The progress window during a download that stalls in its last file: the status line, the bar
// with the percentage it shows, Cancel.
void expect_progress_while_downloading(HWND progress) {
  std::optional<AccessibleTree> tree;
  const std::regex percent("[0-9]{1,3}%");
  ASSERT_TRUE(wait_until(
      [&] {
        tree = read_accessible_tree(progress);
        return tree && tree->children.size() == 3 && tree->children[1].value &&
               tree->children[0].name.starts_with("Downloading Borelu 1.4.2");
      },
      kWait));
  std::vector<std::string> lines = describe(*tree);
  print_tree("the progress window while downloading", lines);
  EXPECT_EQ(tree->name, "Install Borelu");
  EXPECT_EQ(tree->children[0].role, ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(tree->children[1].role, ROLE_SYSTEM_PROGRESSBAR);
  EXPECT_EQ(tree->children[1].name, "Install Borelu");
  EXPECT_TRUE(std::regex_match(*tree->children[1].value, percent)) << *tree->children[1].value;
  const AccessibleView& cancel = tree->children[2];
  EXPECT_EQ(describe(cancel).substr(0, describe(cancel).find(" @")), "button Cancel <Press>");
  EXPECT_TRUE(cancel.ownObject);
}

TEST_F(ScreenReaderInstall, AWholeInstallationByDefaultActionsAlone) {
  set_rules(
      "{\"/releases/1.4.2/BoreluUpdater.exe\": {\"stall_after\": 4096, \"stall_seconds\": 3}}");
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"slow");  // time to read the greyed Cancel
  SpokenWizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  install_by_default_actions(wizard);
  const auto progress = wait_for_window(wizard.process.pid(), L"Borelu.Progress", kWait);
  ASSERT_TRUE(progress);
  WinEventLog events(wizard.process.pid());
  const HWND cancel = GetDlgItem(*progress, ui::progress::CANCEL_ID);
  expect_progress_while_downloading(*progress);

  // Once Windows is asked for elevation, Cancel is unavailable, and says so.
  ASSERT_TRUE(wait_until(
      [&] {
        const auto tree = read_accessible_tree(*progress);
        return tree && tree->children.size() == 3 &&
               tree->children[2].has(STATE_SYSTEM_UNAVAILABLE);
      },
      60s));
  std::vector<DialogSnapshot> dialogs;
  std::vector<HWND> seen;
  wait_until(
      [&] {
        if (auto dialog = take_dialog(wizard.process.pid(), 0ms, &seen)) {
          dialogs.push_back(std::move(*dialog));
        }
        return wizard.process.ended();
      },
      300s);
  DWORD code = 0;
  GetExitCodeProcess(wizard.process.process(), &code);
  EXPECT_EQ(code, 0u);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].shows("Borelu is installed"));
  EXPECT_TRUE(win::path_attributes(join_path(*manifest::installation_folder(),
                                             "installed-release.json")) != INVALID_FILE_ATTRIBUTES);

  // What the hook heard from the progress window: the bar's value only when the whole
  // percentage shown changed, each status line once, Cancel's state once.
  const auto heard_events = events.take();
  std::vector<WinEventLog::Event> values;
  std::vector<WinEventLog::Event> names;
  for (const auto& e : heard_events) {
    if (e.window == *progress && e.event == EVENT_OBJECT_VALUECHANGE) {
      EXPECT_EQ(e.child, ui::progress::BAR_CHILD);
      values.push_back(e);
    }
    if (e.window == *progress && e.event == EVENT_OBJECT_NAMECHANGE) {
      EXPECT_EQ(e.child, ui::progress::STATUS_CHILD);
      names.push_back(e);
    }
  }
  // Each value is read when the event is heard, and a read can finish after later ones: the
  // list is in the order the reads finished.
  print_events("the bar's percentage", values);
  print_events("the status line", names);
  // The shown percentage only grows, so at most 101 whole values follow the sliding bar: an event
  // for every frame would be hundreds over this run.
  ASSERT_FALSE(values.empty());
  EXPECT_LE(values.size(), 101u);
  const std::regex percent("[0-9]{1,3}%");
  for (const auto& e : values) {
    EXPECT_TRUE(e.text.empty() || std::regex_match(e.text, percent)) << e.text;
  }
  // Three status lines in turn (downloading, verified, installing), each told by its own event.
  // A name is read when its event is heard, after the line may have changed again: the verified
  // line lasts only until the worker starts, so its event can read the next line's text.
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names.front().text, "Downloading Borelu 1.4.2");
  EXPECT_TRUE(heard(heard_events, EVENT_OBJECT_STATECHANGE, cancel));
}

TEST_F(ScreenReaderInstall, CancelByItsDefaultActionDuringTheDownload) {
  set_rules(
      "{\"/releases/1.4.2/BoreluUpdater.exe\": {\"stall_after\": 4096, \"stall_seconds\": 4}}");
  SpokenWizard wizard;
  ASSERT_NE(wizard.window, nullptr);
  install_by_default_actions(wizard);
  const auto progress = wait_for_window(wizard.process.pid(), L"Borelu.Progress", kWait);
  ASSERT_TRUE(progress);
  expect_progress_while_downloading(*progress);
  EXPECT_TRUE(do_default_action(*progress, "Cancel", ROLE_SYSTEM_PUSHBUTTON));
  ASSERT_TRUE(wait_until([&] { return wizard.process.ended(); }, 60s));
  DWORD code = 0;
  GetExitCodeProcess(wizard.process.process(), &code);
  EXPECT_EQ(code, 1u);
  EXPECT_FALSE(take_dialog(wizard.process.pid(), 0ms));
  EXPECT_TRUE(staging_folders().empty());
  EXPECT_EQ(
      win::path_attributes(join_path(*manifest::installation_folder(), "installed-release.json")),
      INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace borelu::testing
