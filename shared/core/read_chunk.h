#pragma once

#include <cstddef>

namespace borelu {

// The one piece size for reading: a response body, and every file that is copied, hashed or
// checked. One buffer of this size serves a whole transfer.
inline constexpr std::size_t READ_CHUNK = 65536;

}  // namespace borelu
