#include "crypto/gcrypt_init.h"

#include <gcrypt.h>

namespace borelu::crypto {

void ensure_gcrypt() {
  static const bool ready = [] {
    gcry_check_version(nullptr);
    // Only public data is hashed or verified here; the signing tool's key lives in a file anyway.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  (void)ready;
}

}  // namespace borelu::crypto
