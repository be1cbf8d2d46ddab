#pragma once

#include <cstdint>

namespace borelu::apply {

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

// Whether it must be refused as a link: a reparse point whose tag is a name surrogate, or one
// whose tag cannot be read (Wine shows a Unix symbolic link only through the path's attributes).
// A reparse point that keeps its own name and content is no link: a cloud file or folder (a
// Desktop or Documents folder kept in OneDrive), a file compressed by Windows or deduplicated.
[[nodiscard]] bool redirects(const ReparseView& view);

}  // namespace borelu::apply
