// Walks the real wizard of BoreluSetup.exe and saves what the screen shows of each page:
//   capture_wizard SETUP.exe OUT_PREFIX en|ar PAGES [screen]
// writes OUT_PREFIX-page1.bmp ... for the first PAGES pages (the wizard's client area, or with
// "screen" the whole screen around it), then closes the wizard with Escape.
// tools/screenshots.sh runs it under Xvfb and turns the images into docs/screenshots/*.png.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "control_bench.h"
#include "process_runner.h"
#include "ui/wizard/wizard_model.h"
#include "ui_driver.h"
#include "win/text.h"

namespace {

using namespace borelu;
using namespace borelu::testing;
namespace control = ui::wizard::control;

constexpr auto kWait = std::chrono::seconds(20);

bool shows(HWND window, int id, bool enabled = true) {
  const WindowView view = read_window(window);
  const ControlView* c = view.control(id);
  return c != nullptr && c->enabled == enabled;
}

bool whole_screen = false;

bool save(HWND window, const std::wstring& prefix, int page) {
  park_pointer();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // hover looks fade, paints land
  const auto image = whole_screen ? capture_screen() : capture_client(window);
  const std::wstring path = prefix + L"-page" + std::to_wstring(page) + L".bmp";
  return image->write_bmp(path);
}

int run(const std::wstring& setup, const std::wstring& prefix, bool arabic, int pages) {
  ChildProcess process(L"\"" + setup + L"\"", ChildProcess::Start::running);
  const auto found = wait_for_window(process.pid(), L"Borelu.Setup.Wizard", kWait);
  if (!found) {
    std::fputs("no wizard window\n", stderr);
    return 1;
  }
  const HWND window = *found;
  if (arabic) {
    click(window, control::ARABIC_CARD);
    wait_until([&] { return read_window(window).caption != "Borelu Setup"; }, kWait);
  }
  // What each page waits for before it is captured, and how the walk goes on from it.
  const int first_control[] = {control::ARABIC_CARD, control::AGREEMENT, control::STARTUP_SWITCH,
                               control::NEXT};
  for (int page = 1; page <= pages; ++page) {
    if (!wait_until([&] { return shows(window, first_control[page - 1]); }, kWait) ||
        !save(window, prefix, page)) {
      std::fprintf(stderr, "page %d not captured\n", page);
      return 1;
    }
    if (page == pages) {
      break;
    }
    if (page == 2) {
      click(window, control::AGREEMENT);
      wait_until([&] { return shows(window, control::NEXT); }, kWait);
    }
    click(window, control::NEXT);
    if (page == 3) {
      wait_until([&] { return read_window(window).control(control::STARTUP_SWITCH) == nullptr; },
                 kWait);
    }
  }
  press_key(window, VK_ESCAPE);
  wait_until([&] { return process.ended(); }, kWait);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 && !(argc == 6 && std::wstring(argv[5]) == L"screen")) {
    std::fputs("usage: capture_wizard SETUP.exe OUT_PREFIX en|ar PAGES [screen]\n", stderr);
    return 2;
  }
  whole_screen = argc == 6;
  return run(argv[1], argv[2], std::wstring(argv[3]) == L"ar", std::stoi(argv[4]));
}
