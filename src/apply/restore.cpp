#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "apply/apply_journal.h"
#include "apply/apply_run.h"
#include "apply/blocking_service.h"
#include "apply/maintenance_names.h"
#include "apply/rollback.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "manifest/installation.h"
#include "registration/registration.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

// Everything a restore puts back.
struct RestorePlan {
  std::string installationFolder;
  std::string workFolder;
  std::string rollbackFolder;
  std::vector<std::string> savedNames;
  std::string ownerSid;
  bool hadStartup = false;
  bool changesStartup = true;
  std::optional<manifest::Release> previousRelease;
  bool serviceExisted = false;
};

// The first failure among steps that all run.
class FirstFailure {
 public:
  void note(const Status& step) {
    if (!step && !first_) {
      first_ = step.error();
    }
  }
  [[nodiscard]] const std::optional<Failure>& first() const { return first_; }

 private:
  std::optional<Failure> first_;
};

// One installed file as the rollback copy has it, or gone when the copy does not have it. A file
// that already equals its copy is left alone: it may be in use, and needs nothing.
Status restore_file(const RestorePlan& plan, std::string_view name) {
  const std::string target = join_path(plan.installationFolder, name);
  if (std::ranges::find(plan.savedNames, name) != plan.savedNames.end()) {
    const std::string copy = join_path(plan.rollbackFolder, name);
    if (win::same_file_content(copy, target)) {
      return {};
    }
    return win::replace_file(target,
                             [&](HANDLE file) { return win::write_file_content(file, copy); });
  }
  if (win::path_attributes(target) != INVALID_FILE_ATTRIBUTES &&
      !DeleteFileW(win::widen(target).c_str())) {
    return std::unexpected(win::last_os_failure());
  }
  return {};
}

// Every step runs, whatever an earlier one met: the service stopped, the files, the startup
// value, the uninstall entry, the service restarted (or removed). The first failure is kept.
std::optional<Failure> restore(const RestorePlan& plan, ServiceControl& services) {
  FirstFailure failures;
  failures.note(stop_blocking_service(services));
  for (const std::string_view name : ROLLBACK_NAMES) {
    failures.note(restore_file(plan, name));
  }
  // A value the run never wrote needs nothing, and its owner's hive may not even be loaded.
  if (plan.changesStartup) {
    failures.note(registration::set_startup_entry(
        plan.ownerSid, plan.hadStartup,
        join_path(plan.installationFolder, manifest::APPLICATION_FILE)));
  }
  failures.note(plan.previousRelease ? registration::register_uninstall_entry(*plan.previousRelease)
                                     : registration::remove_uninstall_entry());
  failures.note(restore_blocking_service(services, plan.serviceExisted,
                                         {plan.rollbackFolder, plan.workFolder, plan.ownerSid}));
  return failures.first();
}

// "<before> Recovery failed: <first failure>. Run BoreluSetup again."
Failure recovery_failed(std::string before, const Failure& first) {
  std::string text = first.text();
  if (text.ends_with('.')) {
    text.pop_back();  // the sentence goes on
  }
  return Failure(before + " Recovery failed: " + text + ". Run BoreluSetup again.");
}

// The plan of a work folder whose apply was interrupted: what its record says, the names its
// complete rollback copy holds, and the release that copy's "installed-release.json" verifies as.
RestorePlan interrupted_plan(const ApplyJournal& journal, std::string_view installation_folder,
                             std::string_view work_folder) {
  RestorePlan plan{std::string(installation_folder),
                   std::string(work_folder),
                   join_path(work_folder, ROLLBACK_FOLDER),
                   {},
                   journal.ownerSid,
                   journal.hadStartup,
                   journal.changesStartup,
                   std::nullopt,
                   journal.serviceExisted};
  for (const std::string_view name : ROLLBACK_NAMES) {
    if (win::path_attributes(join_path(plan.rollbackFolder, name)) != INVALID_FILE_ATTRIBUTES) {
      plan.savedNames.emplace_back(name);
    }
  }
  if (const auto bytes = win::read_existing_file(
          join_path(plan.rollbackFolder, manifest::INSTALLED_RELEASE_FILE),
          manifest::MAX_METADATA_BYTES + 1, manifest::kReadInstalledRelease);
      bytes && *bytes) {
    if (auto previous = manifest::verify_release_metadata(**bytes)) {
      plan.previousRelease = std::move(*previous);
    }
  }
  return plan;
}

}  // namespace

Failure restore_installation(ApplyRun& run, Failure failure, ServiceControl& services) {
  run.work.keepRollback = true;
  const RestorePlan plan{run.installationFolder, run.work.path,
                         run.work.rollback(),    run.savedNames,
                         run.ownerSid,           run.snapshot.hadStartup,
                         run.changesStartup,     run.snapshot.previousRelease,
                         run.serviceExisted};
  auto first = restore(plan, services);
  if (!first) {
    if (auto ended = end_apply(run.work.path); !ended) {
      first = ended.error();
    }
  }
  if (first) {
    return recovery_failed(failure.text(), *first);  // the record stays for the next run
  }
  run.work.keepRollback = false;
  return failure;
}

Status recover_interrupted_applies(std::string_view maintenance_folder, ServiceControl& services) {
  const auto installation = manifest::installation_folder();
  if (!installation) {
    return std::unexpected(installation.error());
  }
  for (const std::string& name : win::subfolder_names(maintenance_folder)) {
    const std::string work = join_path(maintenance_folder, name);
    const std::string record = join_path(work, APPLY_JOURNAL_FILE);
    if (!is_work_folder_name(name) || win::path_attributes(record) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    constexpr std::string_view kInterrupted = "A previous Borelu installation was interrupted.";
    if (auto plain = storage::reject_linked_path(work); !plain) {
      return std::unexpected(recovery_failed(std::string(kInterrupted), plain.error()));
    }
    const auto bytes =
        win::read_existing_file(record, APPLY_JOURNAL_MAX_BYTES + 1, "Read restore record");
    if (!bytes) {
      return std::unexpected(recovery_failed(std::string(kInterrupted), bytes.error()));
    }
    const auto journal = *bytes ? parse_apply_journal(**bytes) : std::nullopt;
    if (!journal) {
      return std::unexpected(
          recovery_failed(std::string(kInterrupted), Failure("Invalid restore record.")));
    }
    auto first = restore(interrupted_plan(*journal, *installation, work), services);
    if (!first) {
      if (auto ended = end_apply(work); !ended) {
        first = ended.error();
      }
    }
    if (first) {
      return std::unexpected(recovery_failed(std::string(kInterrupted), *first));
    }
  }
  return {};
}

}  // namespace borelu::apply
