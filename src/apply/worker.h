#pragma once

#include "core/failure.h"
#include "worker_request.h"

namespace borelu::apply {

// The elevated worker: applies or updates the installation described by `request`.
[[nodiscard]] Status run_worker(const WorkerRequest& request);

}  // namespace borelu::apply
