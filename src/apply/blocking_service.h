#pragma once

#include <optional>
#include <string_view>

#include "apply/service_control.h"
#include "core/failure.h"
#include "win/handles.h"

namespace borelu::apply {

inline constexpr std::wstring_view SERVICE_NAME = L"BoreluBlocking";

// The blocking service, opened for query, start, stop and delete; nothing when it does not exist.
[[nodiscard]] Result<std::optional<win::ServiceHandle>> open_blocking_service();

// Whether the service exists before anything changes.
[[nodiscard]] Result<bool> probe_blocking_service(ServiceControl& control);

// Runs the work folder's checked "BoreluService.exe --install --owner-sid SID", reading both of
// its output pipes to the end so that neither can fill up, and waits for it without a limit.
// A failure message here starts the restore.
[[nodiscard]] Status run_service_installer(std::string_view work_folder,
                                           std::string_view owner_sid);

// The same with the previous release's installer of the rollback copy, to put back the service;
// its failure is a sentence of its own, which follows the apply's failure.
[[nodiscard]] Status run_previous_service_installer(const PreviousInstaller& installer);

// Stops the service and waits for it, polling every 100 ms for at most 30 s; a service that is
// starting or stopping is waited for until it can take the request.
[[nodiscard]] Status stop_blocking_service(ServiceControl& control);

// Puts the service back as it was: restarted if it existed, deleted if the apply created it. A
// service marked for deletion is waited for, within the same 30 s, until it has gone. One that
// existed and is gone, or going, is installed again by `previous` (whose failure is the
// restore's).
[[nodiscard]] Status restore_blocking_service(ServiceControl& control, bool service_existed,
                                              const PreviousInstaller& previous);

}  // namespace borelu::apply
