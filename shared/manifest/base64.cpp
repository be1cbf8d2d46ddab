#include "manifest/base64.h"

#include <array>
#include <cstdint>

namespace borelu::manifest {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> make_table() {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (int i = 0; i < 64; ++i) {
    table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  }
  return table;
}
constexpr auto kTable = make_table();

}  // namespace

std::optional<std::vector<unsigned char>> decode_base64(std::string_view text) {
  if (text.size() % 4 != 0) {
    return std::nullopt;
  }
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') {
    padding = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
  }
  std::vector<unsigned char> out;
  out.reserve(text.size() / 4 * 3);
  const std::size_t symbols = text.size() - padding;
  std::uint32_t buffer = 0;
  for (std::size_t i = 0; i < symbols; ++i) {
    const std::int8_t value = kTable[static_cast<unsigned char>(text[i])];
    if (value < 0) {
      return std::nullopt;  // outside the alphabet, white space, or "=" before the end
    }
    buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
    if (i % 4 == 3) {
      out.push_back(static_cast<unsigned char>(buffer >> 16));
      out.push_back(static_cast<unsigned char>(buffer >> 8));
      out.push_back(static_cast<unsigned char>(buffer));
      buffer = 0;
    }
  }
  if (padding == 2) {  // two symbols: 12 bits, one byte, 4 spare bits
    if ((buffer & 0x0F) != 0)
      return std::nullopt;
    out.push_back(static_cast<unsigned char>(buffer >> 4));
  } else if (padding == 1) {  // three symbols: 18 bits, two bytes, 2 spare bits
    if ((buffer & 0x03) != 0)
      return std::nullopt;
    out.push_back(static_cast<unsigned char>(buffer >> 10));
    out.push_back(static_cast<unsigned char>(buffer >> 2));
  }
  return out;
}

std::string encode_base64(std::span<const unsigned char> bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  if (bytes.size() - i == 1) {
    const std::uint32_t v = bytes[i] << 16;
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out += "==";
  } else if (bytes.size() - i == 2) {
    const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8);
    out.push_back(kAlphabet[v >> 18]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back('=');
  }
  return out;
}

}  // namespace borelu::manifest
