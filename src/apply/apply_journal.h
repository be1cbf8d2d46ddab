#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace borelu::apply {

// "apply-in-progress.json" in a work folder: present from the moment its rollback copy is complete
// until the installation is again exactly one release (the new one committed, or the old one
// restored). A worker that finds one left by a worker that was killed restores that rollback copy
// before it does anything else, so that no later rollback copy is taken from a half-replaced
// installation and the only good copy is never cleaned away.
inline constexpr std::string_view APPLY_JOURNAL_FILE = "apply-in-progress.json";
inline constexpr std::size_t APPLY_JOURNAL_MAX_BYTES = 1024;

// What a restore needs besides the rollback copy itself (the files in the rollback folder are the
// names that were saved, and its "installed-release.json" the previous release).
struct ApplyJournal {
  bool hadStartup = false;
  std::string ownerSid;
  bool serviceExisted = false;
  // Whether the run may write the owner's startup value (a setup; an update never does). A
  // restore puts back only a value that may have changed: the owner's registry hive is loaded
  // only while the owner is signed in, and another administrator may run the recovery.
  bool changesStartup = true;

  friend bool operator==(const ApplyJournal&, const ApplyJournal&) = default;
};

// Compact, members in ascending order of their names; "changesStartup" only when it is false.
[[nodiscard]] std::string apply_journal_json(const ApplyJournal& journal);

// Read strictly: at most 1024 bytes, an object with exactly the four members (each once) of
// their types, or the three members without "changesStartup" that records written before it
// have (read as a run that changes the startup value), and an owner SID that
// `is_valid_owner_sid` accepts. Nothing otherwise.
[[nodiscard]] std::optional<ApplyJournal> parse_apply_journal(std::string_view bytes);

}  // namespace borelu::apply
