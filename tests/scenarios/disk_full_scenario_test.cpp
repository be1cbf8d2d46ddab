// A disk that fills for real: the session's whole prefix lies on a small tmpfs (tests/wine/
// session.sh with BORELU_SESSION_TMPFS), so that Program Files and the user's local data fill up
// together. A filler file takes the space down to a chosen number of bytes.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <thread>

#include "controller/failure_record.h"
#include "controller/staging.h"
#include "download/https.h"
#include "installed_state.h"
#include "outcome.h"
#include "staged_release.h"
#include "storage/disk_space.h"
#include "ui/failure_explanation.h"
#include "win/system_error.h"

namespace borelu::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kPage = 4096;  // what the tmpfs takes a file's space in

std::uint64_t free_bytes() {
  ULARGE_INTEGER available{};
  EXPECT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
  return available.QuadPart;
}

std::uint64_t pages(std::uint64_t bytes) {
  return (bytes + kPage - 1) / kPage * kPage;
}

// The text Wine gives a full disk, as the program reports it.
std::string disk_full_text() {
  return win::os_failure(ERROR_DISK_FULL).text();
}

// Takes the free space of drive C: down to at most `leave` bytes while it lives.
class Filler {
 public:
  explicit Filler(std::uint64_t leave) {
    file_.reset(CreateFileW(kPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(file_);
    const std::string piece(1 << 20, 'f');
    for (std::uint64_t free = free_bytes(); free > leave; free = free_bytes()) {
      const DWORD size = static_cast<DWORD>(std::min<std::uint64_t>(piece.size(), free - leave));
      DWORD written = 0;
      if (!WriteFile(file_.get(), piece.data(), size, &written, nullptr) || written == 0) {
        break;
      }
    }
  }
  ~Filler() {
    file_.reset();
    DeleteFileW(kPath);
  }
  Filler(const Filler&) = delete;
  Filler& operator=(const Filler&) = delete;

 private:
  static constexpr const wchar_t* kPath = L"C:\\disk-filler.bin";
  win::FileHandle file_;
};

std::uint64_t file_size(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(fs::path(win::widen(path)), error);
  return error ? 0 : size;
}

std::string record_path() {
  return join_path(*manifest::maintenance_folder_path(), "last-install-error.json");
}

// The space the failure record takes.
std::uint64_t record_space() {
  return pages(file_size(record_path()));
}

// Every file and folder under the maintenance folder, with each file's digest; the failure
// record aside.
std::map<std::string, std::string> maintenance_content() {
  std::map<std::string, std::string> content;
  const fs::path root(win::widen(*manifest::maintenance_folder_path()));
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
    const std::string name = win::narrow(entry.path().lexically_relative(root).wstring());
    if (name == "last-install-error.json") {
      continue;
    }
    content[name] =
        entry.is_directory() ? "folder" : file_sha256(win::narrow(entry.path().wstring()));
  }
  return content;
}

// Installs the release staged in `stage` as the one an update replaces. The first start of the
// blocking service in this session's prefix can keep a pipe the worker wrote to open for good
// (under Wine a process keeps the Unix descriptors of the one that started it), so this run has
// no standard handles and is judged by its exit code and failure record.
void install_previous(const std::string& stage) {
  const std::uint64_t started = controller::current_unix_millis();
  const auto run =
      run_process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                      win::widen(stage) + L"\" --owner-sid " + win::widen(OWNER_SID) +
                      L" --parent-pid 0 --setup --options en:101:2026-10-19",
                  StandardHandles::none);
  ASSERT_EQ(run.exitCode, 0u)
      << controller::read_failure_record(run.processId, started).value_or("<no record>");
}

class DiskFullScenario : public ::testing::Test {
 protected:
  void SetUp() override { remove_installation(); }
  StageSet stage{"borelu-full-"};
};

// The check first: a run that cannot fit refuses before it copies anything, naming the space it
// would need, as the estimate counts it for the installation at hand, and the space there is.
TEST_F(DiskFullScenario, TheWorkerRefusesAtOnceWhenTheApplyCannotFit) {
  install_previous(stage("1.4.2"));
  const InstalledState before = InstalledState::read();
  const auto maintenance = maintenance_content();
  const std::string next = stage("1.4.3");
  std::uint64_t release = file_size(join_path(next, "release.json"));
  for (const char* name : RELEASE_NAMES) {
    release += file_size(join_path(next, name));
  }
  std::uint64_t installed = 0;
  for (const char* name :
       {"Borelu.exe", "BoreluService.exe", "BoreluUpdater.exe", "blocking-policy.json",
        "installed-release.json", "setup-options.json"}) {
    installed += file_size(join_path(*manifest::installation_folder(), name));
  }
  // The work and installer copies, the rollback copy, and the new updater's runner copy.
  const std::uint64_t needed =
      2 * release + installed + file_size(join_path(next, "BoreluUpdater.exe"));
  const std::uint64_t record_before = record_space();
  const std::uint64_t free_before = free_bytes();
  const std::uint64_t started = controller::current_unix_millis();
  {
    const Filler filler(needed - 1);
    const std::uint64_t left = free_bytes();
    const auto refused = run_worker_process(next, "--update");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_EQ(refused.standardError, "There is not enough space on the disk for Borelu: " +
                                         std::to_string((needed + (1 << 20) - 1) >> 20) +
                                         " MB needed, " + std::to_string(left >> 20) +
                                         " MB free. Free some space, then try again.\n");
    EXPECT_EQ(ui::classify_failure(refused.standardError), 6);
    EXPECT_EQ(
        controller::read_failure_record(refused.processId, started).value_or("<no record>") + "\n",
        refused.standardError);
  }
  EXPECT_EQ(InstalledState::read(), before);
  EXPECT_EQ(maintenance_content(), maintenance);
  const std::uint64_t free_after = free_bytes();
  EXPECT_EQ(free_after + record_space() - record_before, free_before);
  std::printf("refused: %llu bytes needed; free before %llu, after %llu\n",
              static_cast<unsigned long long>(needed), static_cast<unsigned long long>(free_before),
              static_cast<unsigned long long>(free_after));
  // With exactly the space it needs, it goes ahead.
  {
    const Filler filler(needed + kPage);
    const auto updated = run_worker_process(next, "--update");
    EXPECT_EQ(updated.standardError, "");
  }
}

// The process id of the running blocking service, 0 when none runs.
DWORD service_process() {
  auto service = apply::open_blocking_service();
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!service || !*service ||
      !QueryServiceStatusEx((*service)->get(), SC_STATUS_PROCESS_INFO,
                            reinterpret_cast<BYTE*>(&status), sizeof status, &needed)) {
    return 0;
  }
  return status.dwProcessId;
}

// One update from 1.4.2 to 1.4.3 whose disk fills once the check has passed: while the worker
// waits for the calling application to close, the filler leaves `leave` bytes free. A run that
// fails must name the error, leave the installation as it was and the maintenance folder as it
// found it (but for a complete runner copy of the new updater), and give the space back. Prints
// the step the failure came from; returns whether the update installed.
class FillingUpdate {
 public:
  explicit FillingUpdate(const std::string& stage) : stage_(stage) {}

  bool run(std::uint64_t leave) {
    SCOPED_TRACE("left free after the stage copy: " + std::to_string(leave));
    const InstalledState before = InstalledState::read();
    const DWORD service_before = service_process();
    const auto maintenance = maintenance_content();
    const std::uint64_t record_before = record_space();
    const std::uint64_t free_before = free_bytes();
    const std::uint64_t started = controller::current_unix_millis();
    ChildProcess application(
        L"\"" + win::widen(join_path(*manifest::installation_folder(), "Borelu.exe")) +
            L"\" --run-for 60000",
        ChildProcess::Start::running);
    ProcessOutcome run;
    std::thread worker(
        [&] { run = run_worker_process(stage_, "--update", OWNER_SID, application.pid()); });
    // The stage copy ends with "release.json" in the new work folder: then the disk fills.
    bool copied = false;
    for (int i = 0; i < 600 && !copied; ++i) {
      for (const auto& [name, kind] : maintenance_content()) {
        copied = copied || (name.starts_with("work-") && name.ends_with("\\release.json") &&
                            !name.contains("rollback") && !maintenance.contains(name));
      }
      Sleep(20);
    }
    EXPECT_TRUE(copied);
    std::optional<Filler> filler;
    filler.emplace(leave);
    const std::uint64_t left = free_bytes();
    TerminateProcess(application.process(), 0);
    worker.join();
    filler.reset();
    const std::uint64_t free_after = free_bytes();
    // The service installer stops the service and a restore starts it again: a new process
    // means the failure came after the point of no return.
    const char* step = run.exitCode == 0 ? "installed"
                       : run.standardError.starts_with("Borelu service installation failed")
                           ? "service installer"
                       : service_process() != service_before ? "records, restored"
                                                             : "before any change";
    std::printf("left %8llu: exit %lu, %s; free before %llu, after %llu%s%s",
                static_cast<unsigned long long>(left), run.exitCode, step,
                static_cast<unsigned long long>(free_before),
                static_cast<unsigned long long>(free_after), run.exitCode == 0 ? "" : ": ",
                run.exitCode == 0 ? "\n" : run.standardError.c_str());
    if (run.exitCode == 0) {
      return true;
    }
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.standardError.find(disk_full_text()), std::string::npos) << run.standardError;
    EXPECT_EQ(ui::classify_failure(run.standardError), 6) << run.standardError;
    EXPECT_EQ(InstalledState::read(), before);
    // The failure record: written once the work folder was tidied, which gave space back.
    EXPECT_EQ(
        controller::read_failure_record(run.processId, started).value_or("<no record>") + "\n",
        run.standardError);
    // Only a complete runner copy of the new updater may be new: its file and its folder.
    auto after = maintenance_content();
    std::uint64_t kept = 0;
    const std::string updater = file_sha256(join_path(stage_, "BoreluUpdater.exe"));
    const std::string runner_file = "runners\\" + updater + "\\BoreluUpdater.exe";
    if (!maintenance.contains(runner_file) && after.contains(runner_file) &&
        after[runner_file] == updater) {
      after.erase(runner_file);
      after.erase("runners\\" + updater);
      kept = pages(file_size(join_path(stage_, "BoreluUpdater.exe")));
    }
    EXPECT_EQ(after, maintenance);
    EXPECT_EQ(free_after + kept + record_space() - record_before, free_before);
    return false;
  }

 private:
  std::string stage_;
};

// The disk fills after the check, at the steps the apply writes: the runner copy and the rollback
// copy. (The service installer replaces files of the same sizes in place and the records take a
// page or two: a disk that lets the rollback copy through lets them through too.) Each run fails,
// names the error and loses nothing; with space freed, the next run installs.
TEST_F(DiskFullScenario, ADiskThatFillsDuringTheApplyLosesNothing) {
  install_previous(stage("1.4.2"));
  const std::string next = stage("1.4.3");
  const std::uint64_t runner = pages(file_size(join_path(next, "BoreluUpdater.exe")));
  std::uint64_t rollback = 0;
  for (const char* name :
       {"Borelu.exe", "BoreluService.exe", "BoreluUpdater.exe", "blocking-policy.json",
        "installed-release.json", "setup-options.json"}) {
    rollback += pages(file_size(join_path(*manifest::installation_folder(), name)));
  }
  FillingUpdate update(next);
  for (const std::uint64_t leave : {std::uint64_t{0}, runner / 2, runner + rollback / 2}) {
    EXPECT_FALSE(update.run(leave));
  }
  EXPECT_TRUE(update.run(std::numeric_limits<std::uint64_t>::max()));
  EXPECT_EQ(read_text(join_path(*manifest::installation_folder(), "installed-release.json")),
            read_text(join_path(next, "release.json")));
}

// The download: the check passes, then the disk fills while the first file streams in. The run
// fails with the system's disk-full text, which the failure dialog explains as a full disk, and
// no staging folder stays; the space comes back.
TEST_F(DiskFullScenario, ADiskThatFillsDuringTheDownloadLeavesNoStage) {
  const auto metadata = download::fetch_metadata();
  ASSERT_TRUE(metadata) << outcome(metadata);
  const auto release = manifest::verify_release_metadata(*metadata);
  ASSERT_TRUE(release);
  const auto stages = staging_folders();
  const std::uint64_t free_before = free_bytes();
  controller::CancelState cancel;
  std::optional<Filler> filler;
  {
    auto made = controller::create_stage();
    ASSERT_TRUE(made) << outcome(made);
    const Status downloaded = controller::download_release(*made, *release, *metadata, cancel,
                                                           [&](std::uint32_t, const std::string&) {
                                                             if (!filler) {
                                                               filler.emplace(0);
                                                             }
                                                           });
    filler.reset();
    EXPECT_EQ(outcome(downloaded), disk_full_text());
    EXPECT_EQ(ui::classify_failure(outcome(downloaded)), 6);
  }
  EXPECT_EQ(staging_folders(), stages);
  EXPECT_EQ(free_bytes(), free_before);

  // A disk too small for the release refuses before the first file is asked for.
  {
    const Filler small(pages(release->files[0].bytes));
    const std::uint64_t left = free_bytes();
    auto made = controller::create_stage();
    ASSERT_TRUE(made) << outcome(made);
    const Status refused = controller::download_release(*made, *release, *metadata, cancel,
                                                        [](std::uint32_t, const std::string&) {});
    const std::uint64_t needed = storage::space_needed(*release, metadata->size(), std::nullopt);
    EXPECT_EQ(outcome(refused), "There is not enough space on the disk for Borelu: " +
                                    std::to_string((needed + (1 << 20) - 1) >> 20) +
                                    " MB needed, " + std::to_string(left >> 20) +
                                    " MB free. Free some space, then try again.");
  }
  EXPECT_EQ(staging_folders(), stages);
  EXPECT_EQ(free_bytes(), free_before);
}

}  // namespace
}  // namespace borelu::testing
