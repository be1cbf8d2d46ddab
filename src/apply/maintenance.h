#pragma once

#include <string_view>

#include "apply/work_folder.h"
#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::apply {

// The updater's private copy under "runners", named by its digest: made once per updater build,
// checked against the signed metadata on every run before anything installed changes.
[[nodiscard]] Status provide_updater_runner(const manifest::Release& release,
                                            const WorkFolder& work);

// After a committed apply: keeps this run's rollback copy, removes older work folders and
// runners (only entries whose names and places prove they are ours) and records the apply in
// "last-update.json". Nothing here can fail the apply.
void finish_successful_apply(const manifest::Release& release, std::string_view maintenance_folder,
                             WorkFolder& work);

}  // namespace borelu::apply
