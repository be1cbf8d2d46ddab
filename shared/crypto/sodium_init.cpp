#include "crypto/sodium_init.h"

#include <sodium.h>

#include <cstdlib>

namespace borelu::crypto {

void ensure_sodium() {
  static const bool ready = [] {
    // Fails only when the library cannot set itself up (no system random source): nothing of it
    // may be used then.
    if (sodium_init() < 0) {
      std::abort();
    }
    return true;
  }();
  (void)ready;
}

}  // namespace borelu::crypto
