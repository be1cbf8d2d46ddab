// Which reparse points the path checks refuse as links, over the tags Windows really uses.

#include <gtest/gtest.h>

#include <cstdint>

#include "storage/link_rule.h"

namespace borelu::storage {
namespace {

TEST(LinkRule, OnlyCloudFilesCompressedAndDeduplicatedFilesAreNoLinks) {
  struct Case {
    const char* what;
    std::uint32_t tag;
    bool link;
  };
  const Case tags[] = {
      {"symbolic link", 0xA000000C, true},
      {"junction or mount point", 0xA0000003, true},
      {"symbolic link made by WSL", 0xA000001D, true},
      {"global reparse (a silo's link)", 0xA0000019, true},
      {"cloud file (OneDrive placeholder)", 0x9000001A, false},
      {"cloud file, first subtype", 0x9000101A, false},
      {"cloud file, fifth subtype", 0x9000501A, false},
      {"cloud file, last subtype", 0x9000F01A, false},
      {"file compressed by Windows (WOF)", 0x80000017, false},
      {"deduplicated file", 0x80000013, false},
      {"app execution alias", 0x8000001B, true},
      {"projected file system", 0x9000001C, true},
      {"OneDrive", 0x80000021, true},
      {"a third party's tag", 0x00001234, true},
      {"cloud tag with a bit outside the subtype", 0x9000011A, true},
      {"cloud tag as a name surrogate", 0xB000001A, true},
      {"WOF tag as a name surrogate", 0xA0000017, true},
  };
  for (const Case& c : tags) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(redirects({.handleReparse = true, .pathReparse = true, .tag = c.tag}), c.link);
    // A placeholder can be hidden from the path's attributes; the handle's tag still decides.
    EXPECT_EQ(redirects({.handleReparse = true, .pathReparse = false, .tag = c.tag}), c.link);
  }
}

TEST(LinkRule, WhatIsSeenWithoutItsTagIsRefused) {
  // Wine: a Unix symbolic link to a folder shows the attribute through its path only.
  EXPECT_TRUE(redirects({.handleReparse = false, .pathReparse = true, .tag = 0}));
  EXPECT_TRUE(redirects({.handleReparse = true, .pathReparse = true, .tag = 0}));
  EXPECT_FALSE(redirects({.handleReparse = false, .pathReparse = false, .tag = 0}));
}

}  // namespace
}  // namespace borelu::storage
