#include "apply/worker.h"

namespace borelu::apply {

Status run_worker(const WorkerRequest&) {
  return fail("The installation worker is not part of this build yet.");
}

}  // namespace borelu::apply
