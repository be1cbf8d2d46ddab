#include "apply/child_environment.h"

#include <algorithm>
#include <vector>

namespace borelu::apply {
namespace {

wchar_t fold(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The name of a "NAME=value" string. A leading "=" belongs to the name: the system keeps the
// current folder of each drive as "=C:=C:\folder".
std::wstring_view name_of(std::wstring_view entry) {
  const auto equals = entry.find(L'=', 1);
  return entry.substr(0, equals == std::wstring_view::npos ? entry.size() : equals);
}

bool same_name(std::wstring_view first, std::wstring_view second) {
  return std::ranges::equal(first, second, {}, fold, fold);
}

bool name_before(std::wstring_view first, std::wstring_view second) {
  return std::ranges::lexicographical_compare(name_of(first), name_of(second), {}, fold, fold);
}

}  // namespace

std::wstring helper_environment(std::span<const std::wstring> current,
                                std::span<const EnvironmentValue> fixed,
                                std::span<const std::wstring_view> removed) {
  std::vector<std::wstring> entries;
  for (const std::wstring& entry : current) {
    const bool replaced = std::ranges::any_of(fixed, [&](const EnvironmentValue& value) {
      return same_name(name_of(entry), value.first);
    });
    const bool dropped = std::ranges::any_of(
        removed, [&](std::wstring_view name) { return same_name(name_of(entry), name); });
    if (!entry.empty() && !replaced && !dropped) {
      entries.push_back(entry);
    }
  }
  for (const auto& [name, value] : fixed) {
    entries.push_back(name + L"=" + value);
  }
  std::ranges::stable_sort(entries, name_before);
  std::wstring block;
  for (const std::wstring& entry : entries) {
    block += entry;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

}  // namespace borelu::apply
