#pragma once

namespace borelu::crypto {

// Initialises libgcrypt once per process (thread-safe through a function-local static). Every
// entry point of this module calls it before using the library.
void ensure_gcrypt();

}  // namespace borelu::crypto
