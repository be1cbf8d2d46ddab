// A worker killed at any point of an update (as by TerminateProcess or a power loss) never leaves
// a later run with a mixed installation: the next worker finds the interrupted apply and restores
// its rollback copy first, so the installation is afterwards exactly the old release or the new
// one, even when that next run fails too.
//
// Each point of the matrix starts from an installed 1.4.2, starts the update to 1.4.3, kills the
// real worker from outside at one point, then runs the update again with a failing service
// installer (which restores whatever installation that run found) and once more as it should
// go. Points in the worker are seen from outside, by the files it writes (the kill follows the
// write it watches for within a few milliseconds); points inside the service installer are
// exact: the double pauses there. The matrix is printed.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "installed_state.h"
#include "staged_release.h"

namespace borelu::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path maintenance() {
  return fs::path(win::widen(*manifest::maintenance_folder_path()));
}

fs::path installed(const char* name) {
  return fs::path(win::widen(*manifest::installation_folder())) / name;
}

// What a file holds, read as a bystander that lets the worker delete or replace it meanwhile
// (a watch must not make the run it watches fail).
std::string shared_read(const fs::path& file) {
  const win::FileHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes(65536, '\0');
  DWORD got = 0;
  if (!handle ||
      !ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
    return {};
  }
  bytes.resize(got);
  return bytes;
}

std::vector<fs::path> work_folders() {
  std::vector<fs::path> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(maintenance(), error)) {
    if (entry.path().filename().wstring().starts_with(L"work-")) {
      found.push_back(entry.path());
    }
  }
  return found;
}

// What a point watches: the killed run's own work folder (the one that was not there before it
// started) and the files of the installation.
struct Watch {
  std::vector<fs::path> before;
  std::string newRecord;
  bool seen = false;  // for points that need two things in turn

  [[nodiscard]] bool in_work(const fs::path& name) const {
    for (const fs::path& folder : work_folders()) {
      if (std::ranges::find(before, folder) == before.end() && fs::exists(folder / name)) {
        return true;
      }
    }
    return false;
  }
  [[nodiscard]] bool record_is_new() const {
    return shared_read(installed("installed-release.json")) == newRecord;
  }
};

// One kill point: the service installer's behaviour in the killed run, and when to kill: when
// the installer has paused at `pausedStep`, or else when `reached` first holds.
struct Point {
  std::string name;
  const wchar_t* installer = nullptr;
  int pausedStep = 0;
  std::function<bool(Watch&)> reached;
};

std::vector<Point> points() {
  const fs::path journal = "apply-in-progress.json";
  std::vector<Point> all{
      {"stage copied into the work folder", nullptr, 0,
       [](Watch& w) { return w.in_work("release.json"); }},
      {"rollback copy begun", nullptr, 0,
       [](Watch& w) { return w.in_work(fs::path("rollback") / "Borelu.exe"); }},
      {"rollback copy complete, apply recorded", nullptr, 0,
       [journal](Watch& w) { return w.in_work(journal); }},
  };
  const char* steps[] = {"Borelu.exe copied", "BoreluService.exe copied",
                         "BoreluUpdater.exe copied", "policy written", "service started"};
  for (int step = 1; step <= 5; ++step) {
    all.push_back({std::string("installer paused: ") + steps[step - 1], nullptr, step, nullptr});
  }
  all.push_back(
      {"installed-release.json committed", nullptr, 0, [](Watch& w) { return w.record_is_new(); }});
  all.push_back({"apply ended, clean-up running", nullptr, 0,
                 [journal](Watch& w) { return w.record_is_new() && !w.in_work(journal); }});
  // A commit that finds a wrong file restores: killed once the restore has stopped the service,
  // and once it has put the record back.
  all.push_back({"restore begun (service stopped)", L"wrong-digest", 0, [](Watch& w) {
                   w.seen = w.seen || w.record_is_new();
                   return w.seen && service_state() == "state 1";
                 }});
  all.push_back({"restore of the record done", L"wrong-digest", 0, [](Watch& w) {
                   w.seen = w.seen || w.record_is_new();
                   return w.seen && !w.record_is_new();
                 }});
  // Not killed: the restore cannot replace a file someone holds open and ends; the file is then
  // let go, and the next run finishes that restore first.
  all.push_back({"restore ended early (file held)", L"locked-updater", 0, nullptr});
  return all;
}

constexpr const char* kWatchMissed = "ran to its end before the point was seen";

class CrashMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = make_stage(temp_folder("borelu-crash-1.4.2"));
    new_ = make_stage(temp_folder("borelu-crash-1.4.3"), "1.4.3");
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
    remove_installation();
    remove_folder(old_);
    remove_folder(new_);
  }
  InstalledState install_old() {
    remove_installation();
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
    EXPECT_EQ(run_worker_process(old_, "--setup --options en:101:2026-10-19").exitCode, 0u);
    return InstalledState::read();
  }
  ProcessOutcome update(const wchar_t* installer) {
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", installer);
    return run_worker_process(new_, "--update");
  }

  // Starts the update, kills the worker at the point and says how that went.
  std::string kill_at(const Point& point) {
    const HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, L"Global\\BoreluTestInstallerPaused");
    ResetEvent(paused);
    const std::wstring installer =
        point.pausedStep > 0 ? L"pause-after-" + std::to_wstring(point.pausedStep)
                             : std::wstring(point.installer != nullptr ? point.installer : L"");
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER",
                            installer.empty() ? nullptr : installer.c_str());
    Watch watch{work_folders(), read_text(join_path(new_, "release.json"))};
    const ChildProcess worker(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                                  win::widen(new_) + L"\" --owner-sid " + win::widen(OWNER_SID) +
                                  L" --parent-pid 0 --update",
                              ChildProcess::Start::running);
    std::string how = "killed";
    if (!point.reached && point.pausedStep == 0) {
      how = WaitForSingleObject(worker.process(), 60000) == WAIT_OBJECT_0 ? "ended" : "hung";
      release_holder();
    } else if (point.pausedStep > 0) {
      if (WaitForSingleObject(paused, 60000) != WAIT_OBJECT_0) {
        how = "installer never paused";
      }
    } else {
      const auto limit = std::chrono::steady_clock::now() + 60s;
      while (!point.reached(watch)) {
        if (worker.ended() || std::chrono::steady_clock::now() > limit) {
          how = kWatchMissed;
          break;
        }
        Sleep(1);
      }
    }
    TerminateProcess(worker.process(), 1);
    WaitForSingleObject(worker.process(), 10000);
    CloseHandle(paused);
    if (point.pausedStep > 0) {
      // The installer goes with the worker: a killed worker's installer must not go on
      // changing the installation while the next worker restores it.
      const HANDLE alive = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\BoreluTestInstallerAlive");
      const DWORD ended = alive != nullptr ? WaitForSingleObject(alive, 10000) : WAIT_OBJECT_0;
      if (ended == WAIT_ABANDONED || ended == WAIT_OBJECT_0) {
        if (alive != nullptr) {
          ReleaseMutex(alive);
        }
      } else {
        how += ", but its service installer lived on";
      }
      if (alive != nullptr) {
        CloseHandle(alive);
      }
    }
    return how;
  }

  std::string old_;
  std::string new_;
};

std::string which(const InstalledState& state, const InstalledState& old_state,
                  const InstalledState& new_state) {
  return state == old_state ? "old" : state == new_state ? "new" : "MIXED";
}

TEST_F(CrashMatrix, AWorkerKilledAnywhereLeavesTheOldOrTheNewRelease) {
  install_old();
  ASSERT_EQ(update(nullptr).exitCode, 0u);
  const InstalledState new_state = InstalledState::read();

  std::ostringstream matrix;
  matrix << "point | kill | after the kill | after a failing rerun | after a rerun\n";
  for (const Point& point : points()) {
    SCOPED_TRACE(point.name);
    // A point seen from outside can slip past a watch that polls: it is tried a few times.
    InstalledState old_state = install_old();
    std::string how = kill_at(point);
    for (int attempt = 1; attempt < 4 && how == kWatchMissed; ++attempt) {
      old_state = install_old();
      how = kill_at(point);
    }
    EXPECT_EQ(how, point.reached || point.pausedStep > 0 ? "killed" : "ended");
    const std::string killed = which(InstalledState::read(), old_state, new_state);

    // A failing rerun restores what it found; what it found must be one release.
    (void)update(L"silent-failure");
    const InstalledState after_failure = InstalledState::read();
    EXPECT_TRUE(after_failure == old_state || after_failure == new_state)
        << ::testing::PrintToString(after_failure);

    const auto rerun = update(nullptr);
    EXPECT_EQ(InstalledState::read(), new_state) << rerun.standardError;
    matrix << point.name << " | " << how << " | " << killed << " | "
           << which(after_failure, old_state, new_state) << " | "
           << which(InstalledState::read(), old_state, new_state) << "\n";
  }
  std::cout << matrix.str();
}

}  // namespace
}  // namespace borelu::testing
