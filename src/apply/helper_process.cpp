#include "apply/helper_process.h"

#include <array>
#include <vector>

#include "apply/child_environment.h"
#include "core/path_text.h"
#include "win/system_error.h"
#include "win/text.h"
#include "win/timeline.h"

namespace borelu::apply {
namespace {

// The worker's own environment, one "NAME=value" string each.
std::vector<std::wstring> own_environment() {
  std::vector<std::wstring> entries;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) {
    return entries;
  }
  for (const wchar_t* entry = block; *entry != L'\0'; entry += entries.back().size() + 1) {
    entries.emplace_back(entry);
  }
  FreeEnvironmentStringsW(block);
  return entries;
}

Result<std::wstring> system_folder(UINT (*query)(LPWSTR, UINT)) {
  std::array<wchar_t, MAX_PATH + 1> buffer{};
  const UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length == 0 || length >= buffer.size()) {
    return std::unexpected(win::last_os_failure());
  }
  return std::wstring(buffer.data(), length);
}

Result<std::wstring> environment_for(std::string_view work_folder) {
  const std::string temp = join_path(work_folder, HELPER_TEMP_FOLDER);
  // Made inside the protected work folder, whose access rule it inherits; it may exist from an
  // earlier helper of the same run.
  if (!CreateDirectoryW(win::widen(temp).c_str(), nullptr) &&
      GetLastError() != ERROR_ALREADY_EXISTS) {
    return std::unexpected(win::last_os_failure());
  }
  const auto windows = system_folder(GetSystemWindowsDirectoryW);
  const auto system = system_folder(GetSystemDirectoryW);
  if (!windows || !system) {
    return std::unexpected(!windows ? windows.error() : system.error());
  }
  const std::array<EnvironmentValue, 5> fixed{{
      {L"TEMP", win::widen(temp)},
      {L"TMP", win::widen(temp)},
      {L"PATH", *system + L";" + *windows + L";" + *system + L"\\Wbem"},
      {L"SystemRoot", *windows},
      {L"windir", *windows},
  }};
  // A test build's timeline file is named to the worker alone: no helper is handed its name.
  constexpr std::array<std::wstring_view, 1> kTimeline{win::timeline::VARIABLE};
  return helper_environment(
      own_environment(), fixed,
      build::TEST_BUILD ? std::span(kTimeline) : std::span<const std::wstring_view>());
}

}  // namespace

Result<win::StartedProcess> start_helper(std::string_view program, std::wstring_view arguments,
                                         DWORD flags, const win::StandardHandles* standard,
                                         HANDLE job, std::string_view work_folder) {
  const std::string folder = parent_path(program).value_or(std::string(program));
  const auto environment = environment_for(work_folder.empty() ? folder : work_folder);
  if (!environment) {
    return std::unexpected(environment.error());
  }
  const std::wstring path = win::widen(program);
  const std::wstring wide_folder = win::widen(folder);
  return win::start_process(L"\"" + path + L"\" " + std::wstring(arguments), flags,
                            {.standard = standard,
                             .application = path.c_str(),
                             .folder = wide_folder.c_str(),
                             .environment = environment->c_str(),
                             .job = job});
}

}  // namespace borelu::apply
