#pragma once

#include <string>
#include <string_view>

namespace borelu {

// Appends `text` as a JSON string in the one escaping this program writes everywhere: quote and
// backslash escaped with a backslash; 0x08, 0x0C, 0x0A, 0x0D, 0x09 as \b \f \n \r \t; other bytes
// below 0x20 as \u00xx with lower-case hex; every other byte (solidus and non-ASCII included)
// copied as it is.
void append_json_string(std::string& out, std::string_view text);

}  // namespace borelu
