#include "windows/owner_sid.h"

#include <algorithm>

namespace borelu::blocking {

bool is_valid_owner_sid(std::string_view text) {
  return (text.starts_with("S-1-5-21-") || text.starts_with("S-1-12-1-")) &&
         text.size() <= MAX_OWNER_SID_LENGTH && std::ranges::all_of(text, [](char c) {
           return c == 'S' || c == '-' || (c >= '0' && c <= '9');
         });
}

}  // namespace borelu::blocking
