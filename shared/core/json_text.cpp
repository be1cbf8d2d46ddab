#include "core/json_text.h"

namespace borelu {
namespace {

// Bytes that cannot stand in a JSON string as they are.
bool needs_escape(unsigned char byte) {
  return byte < 0x20 || byte == '"' || byte == '\\';
}

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (byte) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case 0x08:
      out += "\\b";
      break;
    case 0x0C:
      out += "\\f";
      break;
    case 0x0A:
      out += "\\n";
      break;
    case 0x0D:
      out += "\\r";
      break;
    case 0x09:
      out += "\\t";
      break;
    default:
      out += "\\u00";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
  }
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  // Runs of bytes that need no escape are copied whole: signed documents are mostly such runs.
  out.reserve(out.size() + text.size() + 2);
  out.push_back('"');
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (needs_escape(byte)) {
      out.append(text.substr(run, i - run));
      append_escape(out, byte);
      run = i + 1;
    }
  }
  out.append(text.substr(run));
  out.push_back('"');
}

}  // namespace borelu
