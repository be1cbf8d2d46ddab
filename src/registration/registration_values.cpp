#include "registration/registration_values.h"

#include <limits>

#include "core/path_text.h"
#include "core/utf.h"

namespace borelu::registration {

std::vector<unsigned char> reg_sz(std::string_view text) {
  std::u16string wide = utf8_to_utf16(text);
  wide.push_back(u'\0');
  std::vector<unsigned char> data;
  data.reserve(wide.size() * 2);
  for (const char16_t unit : wide) {
    data.push_back(static_cast<unsigned char>(unit & 0xFF));
    data.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return data;
}

std::vector<unsigned char> reg_dword(std::uint32_t value) {
  return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

std::uint32_t estimated_size_kib(const std::vector<manifest::Artifact>& files) {
  std::uint64_t total = 0;
  for (const auto& file : files) {
    total += file.bytes;
  }
  const std::uint64_t kib = total / 1024 + (total % 1024 != 0 ? 1 : 0);
  return kib > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                         : static_cast<std::uint32_t>(kib);
}

std::vector<RegistryValue> uninstall_values(const manifest::Release& release,
                                            std::string_view installation_folder,
                                            std::string_view updater_runner,
                                            std::string_view update_host) {
  const std::string application = join_path(installation_folder, manifest::APPLICATION_FILE);
  return {
      {"DisplayName", ValueType::string, reg_sz("Borelu")},
      {"Publisher", ValueType::string, reg_sz("Quendravolte")},
      {"DisplayVersion", ValueType::string, reg_sz(release.version)},
      {"InstallLocation", ValueType::string, reg_sz(installation_folder)},
      {"DisplayIcon", ValueType::string, reg_sz(application + ",0")},
      {"URLInfoAbout", ValueType::string, reg_sz("https://" + std::string(update_host))},
      {"UninstallString", ValueType::string,
       reg_sz("\"" + std::string(updater_runner) + "\" --uninstall")},
      {"NoModify", ValueType::dword, reg_dword(1)},
      {"NoRepair", ValueType::dword, reg_dword(1)},
      {"EstimatedSize", ValueType::dword, reg_dword(estimated_size_kib(release.files))},
  };
}

std::string startup_command(std::string_view application_path) {
  return "\"" + std::string(application_path) + "\" --startup";
}

std::string run_key_for(std::string_view owner_sid) {
  return std::string(owner_sid) + "\\" + std::string(RUN_KEY);
}

}  // namespace borelu::registration
