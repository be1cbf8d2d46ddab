#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "manifest/release.h"

namespace borelu::registration {

inline constexpr std::string_view UNINSTALL_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Borelu";
inline constexpr std::string_view RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view RUN_VALUE = "Borelu";

// The registry value types written here, numbered as Windows numbers them (REG_SZ, REG_DWORD).
enum class ValueType : std::uint32_t { string = 1, dword = 4 };

// One registry value as it is stored: its name, type and exact data bytes.
struct RegistryValue {
  std::string name;
  ValueType type = ValueType::string;
  std::vector<unsigned char> data;
};

// REG_SZ data: UTF-16LE with the terminating NUL, which the stored size counts.
[[nodiscard]] std::vector<unsigned char> reg_sz(std::string_view text);

// REG_DWORD data: four bytes, little-endian.
[[nodiscard]] std::vector<unsigned char> reg_dword(std::uint32_t value);

// The release's total size in KiB, rounded up.
[[nodiscard]] std::uint32_t estimated_size_kib(const std::vector<manifest::Artifact>& files);

// The uninstall entry's values, in the order they are written.
[[nodiscard]] std::vector<RegistryValue> uninstall_values(const manifest::Release& release,
                                                          std::string_view installation_folder,
                                                          std::string_view updater_runner,
                                                          std::string_view update_host);

// The Run value's command: the quoted application path and " --startup".
[[nodiscard]] std::string startup_command(std::string_view application_path);

// The per-user Run key under HKEY_USERS.
[[nodiscard]] std::string run_key_for(std::string_view owner_sid);

}  // namespace borelu::registration
