#include "protocol/failure_record_format.h"

#include "core/json_text.h"
#include "core/utf.h"
#include "manifest/json_value.h"

namespace borelu::protocol {
namespace {

constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

const manifest::JsonValue* member(const manifest::JsonValue& object, std::string_view name) {
  const manifest::JsonValue* found = nullptr;
  for (const auto& [key, value] : object.members) {
    if (key == name) {
      found = &value;  // a repeated name: the last one counts, as in any JSON object reader
    }
  }
  return found;
}

std::optional<std::uint64_t> unsigned_member(const manifest::JsonValue& object,
                                             std::string_view name) {
  const auto* value = member(object, name);
  if (value == nullptr || value->kind != manifest::JsonValue::Kind::unsigned_integer) {
    return std::nullopt;
  }
  return value->unsignedInteger;
}

}  // namespace

std::uint64_t unix_millis_from_file_time(std::uint64_t file_time) {
  return file_time < kUnixEpochAsFileTime ? 0 : (file_time - kUnixEpochAsFileTime) / 10000;
}

std::string failure_record_json(std::uint32_t worker_pid, std::uint64_t created_millis,
                                std::string_view message) {
  std::string json = "{\"createdMillis\":" + std::to_string(created_millis) + ",\"message\":";
  append_json_string(json, first_scalars(message, RECORD_MESSAGE_MAX_CHARS));
  json += ",\"workerPid\":" + std::to_string(worker_pid) + "}";
  return json;
}

std::optional<std::string> parse_failure_record(std::string_view bytes, std::uint32_t worker_pid,
                                                std::uint64_t start_millis) {
  if (bytes.size() > RECORD_MAX_BYTES) {
    return std::nullopt;
  }
  const auto record = manifest::parse_json(bytes);
  if (!record || !record->is_object()) {
    return std::nullopt;
  }
  const auto pid = unsigned_member(*record, "workerPid");
  const auto created = unsigned_member(*record, "createdMillis");
  const auto* message = member(*record, "message");
  if (!pid || *pid != worker_pid || !created || *created < start_millis || message == nullptr ||
      !message->is_string() || message->text.empty() ||
      message->text.size() > RECORD_READ_MESSAGE_MAX_BYTES) {
    return std::nullopt;
  }
  return message->text;
}

std::string record_temporary_name(std::uint32_t writer_pid, std::string_view random_hex) {
  return std::string(FAILURE_RECORD_FILE) + "." + std::to_string(writer_pid) + "-" +
         std::string(random_hex) + ".new";
}

std::optional<RecordTemporary> parse_record_temporary_name(std::string_view name) {
  const std::string prefix = std::string(FAILURE_RECORD_FILE) + ".";
  constexpr std::string_view kSuffix = ".new";
  if (name == std::string(FAILURE_RECORD_FILE) + std::string(kSuffix)) {
    return RecordTemporary{};
  }
  if (!name.starts_with(prefix) || !name.ends_with(kSuffix)) {
    return std::nullopt;
  }
  std::string_view middle =
      name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
  const auto is_hex = [](std::string_view text, std::size_t min, std::size_t max) {
    return text.size() >= min && text.size() <= max &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
  };
  const auto dash = middle.find('-');
  if (dash == std::string_view::npos) {
    // An earlier writer's: 16 hex digits.
    return is_hex(middle, 16, 16) ? std::optional(RecordTemporary{}) : std::nullopt;
  }
  const std::string_view pid = middle.substr(0, dash);
  if (pid.empty() || pid.size() > 10 ||
      pid.find_first_not_of("0123456789") != std::string_view::npos ||
      (pid.size() > 1 && pid.front() == '0') || !is_hex(middle.substr(dash + 1), 16, 16)) {
    return std::nullopt;
  }
  const std::uint64_t value = std::stoull(std::string(pid));
  if (value > UINT32_MAX) {
    return std::nullopt;
  }
  return RecordTemporary{static_cast<std::uint32_t>(value)};
}

bool record_temporary_is_stale(const RecordTemporary& temporary, bool writer_running,
                               std::uint64_t age_millis) {
  if (age_millis > RECORD_TEMPORARY_MAX_AGE_MILLIS) {
    return true;
  }
  return temporary.writerPid.has_value() && !writer_running;
}

}  // namespace borelu::protocol
