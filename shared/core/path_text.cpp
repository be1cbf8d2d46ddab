#include "core/path_text.h"

#include <algorithm>

namespace borelu {
namespace {

bool is_separator(char c) {
  return c == '\\' || c == '/';
}

// Length of the root: "C:\" (3), "\\server\share\" (up to and with the separator after the
// share name), "\" (1), or 0 for a relative path.
std::size_t root_length(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && is_separator(path[2])) {
    return 3;
  }
  if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
    std::size_t separators = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (is_separator(path[i]) && ++separators == 2) {
        return i + 1;
      }
    }
    return path.size();
  }
  return !path.empty() && is_separator(path[0]) ? 1 : 0;
}

}  // namespace

std::string join_path(std::string_view base, std::string_view part) {
  std::string joined(base);
  if (!joined.empty() && !is_separator(joined.back())) {
    joined.push_back('\\');
  }
  joined += part;
  return joined;
}

std::optional<std::string> parent_path(std::string_view path) {
  const std::size_t root = root_length(path);
  while (path.size() > root && is_separator(path.back())) {
    path.remove_suffix(1);
  }
  if (path.size() <= root) {
    return std::nullopt;
  }
  std::size_t end = path.size();
  while (end > root && !is_separator(path[end - 1])) {
    --end;
  }
  if (end == 0) {
    return std::nullopt;  // a bare name
  }
  while (end > root && is_separator(path[end - 1])) {
    --end;
  }
  return std::string(path.substr(0, end));
}

std::string_view file_name(std::string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !is_separator(path[start - 1])) {
    --start;
  }
  return path.substr(start);
}

bool is_local_drive_path(std::string_view path) {
  const bool letter =
      !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (!letter || path.size() < 3 || path[1] != ':' || !is_separator(path[2])) {
    return false;
  }
  std::string_view rest = path.substr(3);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find_first_of("\\/"), rest.size());
    const std::string_view part = rest.substr(0, end);
    if (part.empty() || part == "." || part == ".." || std::ranges::any_of(part, [](char c) {
          return c == ':' || static_cast<unsigned char>(c) < 0x20;
        })) {
      return false;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return true;
}

}  // namespace borelu
