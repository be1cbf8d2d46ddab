// The controller's decisions, reached through its effects: every way a run can end, what it
// leaves started, configured or removed, and what it tells the window.

#include <gtest/gtest.h>

#include <functional>

#include "controller/install_run.h"
#include "outcome.h"
#include "signed_document.h"
#include "ui/failure_explanation.h"

namespace borelu::testing {
namespace {

using controller::ControllerMessage;
using controller::Progress;

constexpr std::string_view kStage =
    "C:\\Users\\u\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-00";

// A machine whose every answer a case can change, and a log of what the controller did to it.
struct FakeMachine final : controller::InstallEffects {
  struct Worker final : controller::WorkerProcess {
    FakeMachine& machine;
    explicit Worker(FakeMachine& m) : machine(m) {}
    ~Worker() override { machine.log += "close;"; }
    bool wait(std::uint32_t millis) override {
      machine.log += "wait " + std::to_string(millis) + ";";
      return machine.worker_ends;
    }
    std::optional<std::uint32_t> exit_code() override { return machine.exit_code; }
    std::uint32_t process_id() override { return 4243; }
  };

  Result<std::string> metadata = signed_document(release_json(three_files()));
  Result<std::string> stage = std::string(kStage);
  Status download;
  std::function<void(controller::CancelState&)> during_download;
  std::chrono::system_clock::time_point clock =
      std::chrono::system_clock::time_point(std::chrono::milliseconds(1792000000123));
  Result<std::string> sid = std::string("S-1-5-21-0-0-0-1000");
  Result<std::string> exe = std::string("C:\\Downloads\\BoreluSetup.exe");
  std::optional<controller::StartFailure> start_failure;
  bool worker_ends = true;
  std::optional<std::uint32_t> exit_code = 0;
  Result<std::string> folder = std::string("C:\\Program Files\\Borelu");
  bool application_exists = true;
  bool webview2 = false;
  Status launched;
  Status shortcuts;
  std::optional<std::string> record;
  std::string log;

  Result<std::string> fetch_metadata(const controller::CancelState&) override { return metadata; }
  Result<std::string> create_stage() override {
    log += "stage;";
    return stage;
  }
  Status download_release(std::string_view, const manifest::Release& release, std::string_view,
                          const controller::CancelState& cancel,
                          const controller::ProgressReporter& progress) override {
    progress(50, "Downloading Borelu " + release.version + " — 50%");
    if (during_download)
      during_download(const_cast<controller::CancelState&>(cancel));
    return download;
  }
  std::chrono::system_clock::time_point now() override { return clock; }
  Result<std::string> owner_sid() override { return sid; }
  Result<std::string> executable_path() override { return exe; }
  std::expected<std::unique_ptr<controller::WorkerProcess>, controller::StartFailure>
  start_elevated(std::string_view executable, std::string_view parameters) override {
    log += "runas " + std::string(executable) + " " + std::string(parameters) + ";";
    if (start_failure)
      return std::unexpected(*start_failure);
    return std::make_unique<Worker>(*this);
  }
  Result<std::string> installation_folder() override { return folder; }
  bool is_regular_file(std::string_view) override { return application_exists; }
  bool webview2_present(std::string_view) override { return webview2; }
  Status launch(std::string_view application) override {
    log += "launch " + std::string(application) + ";";
    return launched;
  }
  Status configure_shortcuts(bool desktop, bool start_menu) override {
    log += "shortcuts " + std::to_string(desktop) + std::to_string(start_menu) + ";";
    return shortcuts;
  }
  void remove_stage_after_success(std::string_view) override { log += "remove stage;"; }
  std::optional<std::string> read_failure_record(std::uint32_t pid,
                                                 std::uint64_t start_millis) override {
    log += "record " + std::to_string(pid) + " " + std::to_string(start_millis) + ";";
    return record;
  }
};

options::SetupOptions accepted_options() {
  options::SetupOptions chosen;
  chosen.language = "ar";
  chosen.desktop = true;
  chosen.acceptedPolicy = std::string(options::TERMS_VERSION);
  return chosen;
}

struct Ran {
  std::string outcome;
  std::string log;
  std::vector<Progress> progress;
};

Ran run(const std::function<void(FakeMachine&)>& arrange, bool cancelled = false,
        options::SetupOptions chosen = accepted_options()) {
  FakeMachine machine;
  arrange(machine);
  controller::CancelState cancel;
  if (cancelled)
    cancel.request_cancel();
  auto [sender, receiver] = make_channel<ControllerMessage>();
  const std::string key = test_key_document();
  const auto result =
      controller::run_install({std::move(chosen), ui::Language::arabic}, machine, cancel, sender,
                              manifest::TrustAnchor{key, TEST_HOST});
  Ran ran{outcome(result), machine.log, {}};
  while (auto message = receiver.try_receive())
    ran.progress.push_back(std::get<Progress>(*message));
  return ran;
}

const std::string kWorkerStart =
    "runas C:\\Downloads\\BoreluSetup.exe --worker --stage \"" + std::string(kStage) +
    "\" --owner-sid S-1-5-21-0-0-0-1000 --parent-pid 0 --setup --options ar:011:2026-10-19;";
const std::string kAfterWorker = kWorkerStart + "wait 900000;";

TEST(InstallRun, EveryEndingAndWhatItLeavesBehind) {
  const auto failed = [](std::string text) -> Status { return fail(std::move(text)); };
  const struct {
    std::string_view name;
    std::function<void(FakeMachine&)> arrange;
    std::string outcome;
    std::string log;
  } cases[] = {
      {"success", [](FakeMachine&) {}, "success",
       "stage;" + kAfterWorker +
           "launch C:\\Program Files\\Borelu\\Borelu.exe;shortcuts 11;"
           "remove stage;close;"},
      {"metadata unreachable",
       [&](FakeMachine& m) {
         m.metadata =
             fail("Borelu could not be reached. Check your internet connection and try again.");
       },
       "Borelu could not be reached. Check your internet connection and try again.", ""},
      {"tampered metadata",
       [](FakeMachine& m) { m.metadata = m.metadata->substr(0, m.metadata->size() - 1); },
       "Invalid release metadata.", ""},
      {"stage not created", [&](FakeMachine& m) { m.stage = fail("Access denied. (os error 5)"); },
       "Access denied. (os error 5)", "stage;"},
      {"download failed",
       [&](FakeMachine& m) { m.download = failed("Borelu.exe failed SHA-256/size verification."); },
       "Borelu.exe failed SHA-256/size verification.", "stage;"},
      {"cancelled after the last file",
       [](FakeMachine& m) {
         m.during_download = [](controller::CancelState& c) { c.request_cancel(); };
       },
       "Cancelled.", "stage;"},
      {"clock before 1970",
       [](FakeMachine& m) {
         m.clock = std::chrono::system_clock::time_point(std::chrono::milliseconds(-1));
       },
       "second time provided was later than self", "stage;"},
      {"no SID", [&](FakeMachine& m) { m.sid = fail("Invalid process token size."); },
       "Invalid process token size.", "stage;"},
      {"no executable path",
       [&](FakeMachine& m) { m.exe = fail("Insufficient buffer. (os error 122)"); },
       "Insufficient buffer. (os error 122)", "stage;"},
      {"quote in the stage path",
       [](FakeMachine& m) { m.stage = std::string("C:\\a\"b\\BoreluUpdate-00"); },
       "Invalid staging path.", "stage;"},
      {"elevation declined",
       [](FakeMachine& m) {
         m.start_failure = {1223, "Operation canceled by user. (os error 1223)"};
       },
       "Windows installation permission was cancelled. Your current Borelu is unchanged.",
       "stage;" + kWorkerStart},
      {"elevated start failed",
       [](FakeMachine& m) {
         m.start_failure = {2, "File not found. (os error 2)"};
       },
       "Start Borelu installation worker: File not found. (os error 2)", "stage;" + kWorkerStart},
      {"worker still running", [](FakeMachine& m) { m.worker_ends = false; },
       "Installer is still running. Wait before opening Borelu again.",
       "stage;" + kAfterWorker + "close;"},
      {"no Program Files",
       [&](FakeMachine& m) { m.folder = fail("Could not locate Program Files."); },
       "Could not locate Program Files.", "stage;" + kAfterWorker + "close;"},
      {"installed but not started",
       [&](FakeMachine& m) { m.launched = failed("Access denied. (os error 5)"); },
       "Borelu is installed, but Windows could not open it: Access denied. (os error 5)",
       "stage;" + kAfterWorker + "launch C:\\Program Files\\Borelu\\Borelu.exe;close;"},
      {"installed without Borelu.exe", [](FakeMachine& m) { m.application_exists = false; },
       "success", "stage;" + kAfterWorker + "shortcuts 11;remove stage;close;"},
      {"shortcuts failed",
       [&](FakeMachine& m) {
         m.shortcuts = failed("A different shortcut named Borelu already exists. It was kept.");
       },
       "Borelu is installed, but its shortcuts could not be configured: A different shortcut "
       "named Borelu already exists. It was kept. You can open Borelu.exe in the installation "
       "folder.",
       "stage;" + kAfterWorker +
           "launch C:\\Program Files\\Borelu\\Borelu.exe;shortcuts 11;close;"},
      {"worker failed, previous Borelu restarted with WebView2",
       [](FakeMachine& m) {
         m.exit_code = 1;
         m.webview2 = true;
         m.record = "Stop Borelu service: Access denied. (os error 5)";
       },
       "Stop Borelu service: Access denied. (os error 5)",
       "stage;" + kAfterWorker +
           "record 4243 1792000000123;launch C:\\Program Files\\Borelu\\Borelu.exe;close;"},
      {"worker stopped by another installation's lock: nothing of it is started",
       [](FakeMachine& m) {
         m.exit_code = 1;
         m.webview2 = true;
         m.record = "Another Borelu installation is already running.";
       },
       "Another Borelu installation is already running.",
       "stage;" + kAfterWorker + "record 4243 1792000000123;close;"},
      {"worker failed without WebView2 or a record, a failed start ignored",
       [&](FakeMachine& m) {
         m.exit_code = 7;
         m.launched = failed("ignored");
       },
       "Installation did not finish. The previous Borelu files were retained. Check internet "
       "access and run Setup again; Microsoft WebView2 may still need to finish installing.",
       "stage;" + kAfterWorker + "record 4243 1792000000123;close;"},
      {"exit code unreadable counts as a failure",
       [](FakeMachine& m) {
         m.exit_code = std::nullopt;
         m.webview2 = true;
         m.launched = fail("ignored");
       },
       "Installation did not finish. The previous Borelu files were retained. Check internet "
       "access and run Setup again; Microsoft WebView2 may still need to finish installing.",
       "stage;" + kAfterWorker +
           "record 4243 1792000000123;launch C:\\Program Files\\Borelu\\Borelu.exe;close;"},
  };
  for (const auto& c : cases) {
    const Ran ran = run(c.arrange);
    EXPECT_EQ(ran.outcome, c.outcome) << c.name;
    EXPECT_EQ(ran.log, c.log) << c.name;
  }
}

// Every text the shortcut step can fail with, as the run wraps it: one full stop between the
// sentences, and the failure dialog's class the same as for the text it showed before, with two.
TEST(InstallRun, AShortcutFailureReadsAsSentencesAndKeepsItsClass) {
  const std::pair<const char*, int> texts[] = {
      {"Windows shortcut initialization failed.", 14},
      {"Windows could not locate your shortcuts folder.", 14},
      {"Linked installation/update paths are not permitted.", 14},
      {"Access denied. (os error 5)", 12},
      {"The process cannot access the file because it is being used by another process. "
       "(os error 32)",
       10},
      {"There is not enough space on the disk. (os error 112)", 6},
      {"Windows could not create the Borelu shortcut.", 14},
      {"Windows shortcut persistence is unavailable.", 14},
      {"Could not locate Program Files.", 14},
      {"An existing Borelu shortcut could not be inspected. It was kept.", 14},
      {"A different shortcut named Borelu already exists. It was kept.", 14},
      {"Windows could not save the Borelu shortcut.", 14},
  };
  const std::string before = "Borelu is installed, but its shortcuts could not be configured: ";
  const std::string after = " You can open Borelu.exe in the installation folder.";
  for (const auto& [text, expected_class] : texts) {
    SCOPED_TRACE(text);
    const Ran ran = run([&](FakeMachine& m) { m.shortcuts = fail(text); });
    std::string sentence = text;
    if (sentence.ends_with('.'))
      sentence.pop_back();
    EXPECT_EQ(ran.outcome, before + sentence + "." + after);
    EXPECT_EQ(ran.outcome.find(".."), std::string::npos);
    EXPECT_EQ(ui::classify_failure(ran.outcome), expected_class);
    // What the dialog was given before: the text and its own full stop, then another.
    EXPECT_EQ(ui::classify_failure(before + text + "." + after), expected_class);
  }
}

TEST(InstallRun, CancelBeforeTheDownloadAndOptionsAreChecked) {
  const Ran cancelled = run([](FakeMachine&) {}, true);
  EXPECT_EQ(cancelled.outcome, "Cancelled.");
  EXPECT_EQ(cancelled.log, "");  // nothing staged
  EXPECT_EQ(run([](FakeMachine&) {}, false, options::SetupOptions{}).outcome,
            "Choose a supported language and accept the current terms before installing.");
}

TEST(InstallRun, ProgressLinesInTheDisplayLanguage) {
  const Ran ran = run([](FakeMachine&) {});
  ASSERT_EQ(ran.progress.size(), 3u);
  EXPECT_EQ(ran.progress[0].text, "جارٍ تنزيل Borelu 1.4.2");
  EXPECT_EQ(ran.progress[0].percent, 50u);
  EXPECT_EQ(ran.progress[1].text, "تم التحقق. بانتظار موافقة Windows على التثبيت…");
  EXPECT_EQ(ran.progress[2].text,
            "جارٍ تثبيت Borelu وتجهيز Microsoft WebView2 عند الحاجة. قد يستغرق عدة دقائق…");
  EXPECT_EQ(ran.progress[2].percent, 100u);
}

}  // namespace
}  // namespace borelu::testing
