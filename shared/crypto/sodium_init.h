#pragma once

namespace borelu::crypto {

// Initialises libsodium once per process (thread-safe through a function-local static). Every
// entry point of this module calls it before using the library.
void ensure_sodium();

}  // namespace borelu::crypto
