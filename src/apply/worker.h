#pragma once

#include <functional>

#include "core/failure.h"
#include "protocol/worker_request.h"

namespace borelu::apply {

// Receives the failure of a run; called while the install lock is still held when the run took it,
// so that what it writes (the failure record) cannot mix with a later run's.
using FailureReport = std::function<void(const Failure& failure)>;

// The elevated worker: applies or updates the installation described by `request`, and hands its
// failure, if any, to `report` before it returns.
[[nodiscard]] Status run_worker(const protocol::WorkerRequest& request,
                                const FailureReport& report);

}  // namespace borelu::apply
