#pragma once

#include <cstdint>

namespace borelu::storage {

// A reparse tag names the kind of reparse point in its low 16 bits; bit 29 marks a name
// surrogate: the file or folder stands for another named entity (a symbolic link, a junction, a
// mount point), so a path through it leads somewhere else.
inline constexpr std::uint32_t NAME_SURROGATE_BIT = 0x20000000;

// What one existing file or folder shows of reparse points: the attribute as its own handle
// reports it (opened as itself, not followed) and as its path's attributes report it, and the tag
// read through the handle (0 when none could be read).
struct ReparseView {
  bool handleReparse = false;
  bool pathReparse = false;
  std::uint32_t tag = 0;
};

// The tags Windows itself puts on ordinary files and folders, whose filters give the file's own
// content under its own name: cloud files (IO_REPARSE_TAG_CLOUD to IO_REPARSE_TAG_CLOUD_F, the
// subtype in bits 12 to 15), files compressed by Windows (IO_REPARSE_TAG_WOF) and deduplicated
// files (IO_REPARSE_TAG_DEDUP).
inline constexpr std::uint32_t CLOUD_TAG = 0x9000001A;
inline constexpr std::uint32_t CLOUD_SUBTYPE_MASK = 0x0000F000;
inline constexpr std::uint32_t WOF_TAG = 0x80000017;
inline constexpr std::uint32_t DEDUP_TAG = 0x80000013;

// Whether it must be refused as a link: every reparse point but one whose tag is among those
// above. Refused are name surrogates (symbolic links, junctions, mount points), tags that cannot
// be read (Wine shows a Unix symbolic link only through the path's attributes), and every other
// tag, since nothing tells what its filter does: app execution aliases, projected file systems,
// third parties' filters. A cloud file or folder (a Desktop or Documents folder kept in
// OneDrive), a file compressed by Windows or a deduplicated one is no link.
[[nodiscard]] bool redirects(const ReparseView& view);

}  // namespace borelu::storage
