#include "apply/apply_journal.h"

#include <algorithm>
#include <array>

#include "core/json_text.h"
#include "manifest/json_value.h"
#include "manifest/strict_record.h"
#include "windows/owner_sid.h"

namespace borelu::apply {
namespace {

std::optional<bool> read_boolean(const manifest::JsonValue& value) {
  if (value.kind != manifest::JsonValue::Kind::boolean) {
    return std::nullopt;
  }
  return value.boolean;
}

}  // namespace

std::string apply_journal_json(const ApplyJournal& journal) {
  // "changesStartup" only when false: its absence reads as true, so a journal of a run that may
  // change the startup value stays readable by a Setup from before the member existed.
  std::string json = journal.changesStartup ? "{" : "{\"changesStartup\":false,";
  json += "\"hadStartup\":";
  json += journal.hadStartup ? "true" : "false";
  json += ",\"ownerSid\":";
  append_json_string(json, journal.ownerSid);
  json += ",\"serviceExisted\":";
  json += journal.serviceExisted ? "true" : "false";
  json.push_back('}');
  return json;
}

std::optional<ApplyJournal> parse_apply_journal(std::string_view bytes) {
  if (bytes.size() > APPLY_JOURNAL_MAX_BYTES) {
    return std::nullopt;
  }
  static constexpr std::array<std::string_view, 4> kNames{"hadStartup", "ownerSid",
                                                          "serviceExisted", "changesStartup"};
  static constexpr std::array<std::string_view, 3> kEarlierNames{"hadStartup", "ownerSid",
                                                                 "serviceExisted"};
  const auto value = manifest::parse_json(bytes);
  if (!value || !value->is_object()) {
    return std::nullopt;
  }
  std::array<const manifest::JsonValue*, 4> found{};
  if (const auto members =
          manifest::record_members(*value, kNames, manifest::RepeatedKeys::refused)) {
    found = *members;
  } else if (const auto earlier =
                 manifest::record_members(*value, kEarlierNames, manifest::RepeatedKeys::refused)) {
    std::ranges::copy(*earlier, found.begin());
  } else {
    return std::nullopt;
  }
  const auto had_startup = read_boolean(*found[0]);
  const std::string* owner = manifest::read_string(*found[1]);
  const auto service_existed = read_boolean(*found[2]);
  const auto changes_startup = found[3] == nullptr ? std::optional(true) : read_boolean(*found[3]);
  if (!had_startup || owner == nullptr || !service_existed || !changes_startup ||
      !blocking::is_valid_owner_sid(*owner)) {
    return std::nullopt;
  }
  return ApplyJournal{*had_startup, *owner, *service_existed, *changes_startup};
}

}  // namespace borelu::apply
