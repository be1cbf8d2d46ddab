// Walks the real BoreluSetup.exe as a screen-reader user does, through Active Accessibility only
// (default actions, no mouse or key input), and writes what each page and the progress window
// say, as Markdown:
//   read_aloud SETUP.exe en|ar
// The wizard is walked in the language given, Install is chosen, the progress window is read
// while its download is held back by the host, and the run is cancelled there.
// tools/accessibility_doc.sh runs it under Wine beside the fixture host and writes
// docs/accessibility.md.

#include <windows.h>
#include <oleacc.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "process_runner.h"
#include "screen_reader.h"
#include "ui_driver.h"
#include "win/text.h"

namespace {

using namespace borelu::testing;
using namespace std::chrono_literals;

constexpr auto kWait = 30s;

std::string role_name(LONG role) {
  wchar_t text[64] = {};
  GetRoleTextW(static_cast<DWORD>(role), text, 64);
  return borelu::win::narrow(text);
}

std::string states(const AccessibleView& view) {
  std::string words;
  for (const auto& [bit, word] : {std::pair{STATE_SYSTEM_CHECKED, "checked"},
                                  {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
                                  {STATE_SYSTEM_FOCUSED, "focused"},
                                  {STATE_SYSTEM_READONLY, "read only"}}) {
    if (view.has(bit)) {
      words += (words.empty() ? "" : ", ") + std::string(word);
    }
  }
  return words;
}

// Table cells hold no bars or line breaks; a text longer than a page's (the terms document, the
// edit control's value) is shortened to its start.
std::string cell(std::string text) {
  for (char& c : text) {
    if (c == '|' || c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  if (text.size() > 300) {
    std::size_t cut = 160;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
      --cut;  // not inside a UTF-8 sequence
    }
    text = text.substr(0, cut) + "…";
  }
  return text;
}

void print_tree(const std::string& title, const AccessibleTree& tree) {
  std::printf("\n#### %s\n\nWindow: **%s** (%s)\n\n", title.c_str(), tree.name.c_str(),
              role_name(tree.role).c_str());
  std::printf("| # | role | name | value | description | state | default action |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  int n = 0;
  for (const AccessibleView& view : tree.children) {
    std::printf("| %d | %s | %s | %s | %s | %s | %s |\n", ++n, role_name(view.role).c_str(),
                cell(view.name).c_str(), cell(view.value.value_or("")).c_str(),
                cell(view.description).c_str(), states(view).c_str(), view.defaultAction.c_str());
  }
}

// What tells one reading from another: the window's name, each child's name and state.
std::vector<std::string> names_of(const std::optional<AccessibleTree>& tree) {
  std::vector<std::string> list;
  if (tree) {
    list.push_back(tree->name);
    for (const auto& v : tree->children) {
      list.push_back(v.name + "|" + std::to_string(v.state));
    }
  }
  return list;
}

// The tree once it differs from `before` (a default action's command arrives a moment later).
std::optional<AccessibleTree> next_tree(HWND window, const std::vector<std::string>& before) {
  std::optional<AccessibleTree> tree;
  wait_until(
      [&] {
        tree = read_accessible_tree(window);
        return tree && names_of(tree) != before;
      },
      kWait);
  return tree;
}

int run(const std::wstring& setup, bool arabic) {
  ChildProcess process(L"\"" + setup + L"\"", ChildProcess::Start::running);
  const auto found = wait_for_window(process.pid(), L"Borelu.Setup.Wizard", kWait);
  if (!found) {
    std::fputs("no wizard window\n", stderr);
    return 1;
  }
  const HWND wizard = *found;
  auto tree = read_accessible_tree(wizard);
  const auto act = [&](const std::string& name) {
    const auto before = names_of(tree);
    if (!do_default_action(wizard, name)) {
      std::fprintf(stderr, "no default action for \"%s\"\n", name.c_str());
      return false;
    }
    tree = next_tree(wizard, before);
    return tree.has_value();
  };
  const char* language = arabic ? "Arabic" : "English";
  if (arabic && !act("العربية")) {
    return 1;
  }
  // The names a user would hear and act on, page by page.
  const std::string next = arabic ? "التالي" : "Next";
  const std::string agreement = arabic ? "أوافق على شروط الاستخدام وأقرّ بقراءة سياسة الخصوصية."
                                       : "I agree to the terms and acknowledge the privacy policy.";
  for (int page = 1; page <= 4; ++page) {
    if (!tree) {
      return 1;
    }
    print_tree("Page " + std::to_string(page) + ", " + language, *tree);
    if (page == 2 && !act(agreement)) {
      return 1;
    }
    if (page < 4 && !act(next)) {
      return 1;
    }
  }
  // Install, then the progress window while the host holds the download back.
  if (!do_default_action(wizard, arabic ? "تثبيت" : "Install")) {
    return 1;
  }
  const auto progress = wait_for_window(process.pid(), L"Borelu.Progress", kWait);
  if (!progress) {
    std::fputs("no progress window\n", stderr);
    return 1;
  }
  // Read once the bar has eased to where the held-back download stands, so that the page says
  // the same on every run.
  std::optional<AccessibleTree> during;
  std::optional<std::string> value;
  wait_until(
      [&] {
        during = read_accessible_tree(*progress);
        const bool settled = during && during->children.size() == 3 && during->children[1].value &&
                             during->children[1].value == value;
        value = during && during->children.size() == 3 ? during->children[1].value : std::nullopt;
        std::this_thread::sleep_for(300ms);
        return settled;
      },
      kWait);
  if (!during) {
    return 1;
  }
  print_tree(std::string("Progress window during the download, ") + language, *during);
  do_default_action(*progress, arabic ? "إلغاء" : "Cancel");
  wait_until([&] { return process.ended(); }, kWait);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: read_aloud SETUP.exe en|ar\n", stderr);
    return 2;
  }
  return run(argv[1], std::wstring_view(argv[2]) == L"ar");
}
