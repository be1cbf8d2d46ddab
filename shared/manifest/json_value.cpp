#include "manifest/json_value.h"

#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "core/json_text.h"

namespace borelu::manifest {
namespace {

// Builds a JsonValue tree from the parser's events, refusing nesting beyond the limit.
class TreeBuilder final : public nlohmann::json_sax<nlohmann::json> {
 public:
  bool null() override { return add({}); }
  bool boolean(bool value) override {
    JsonValue v;
    v.kind = JsonValue::Kind::boolean;
    v.boolean = value;
    return add(std::move(v));
  }
  bool number_integer(number_integer_t value) override {
    JsonValue v;
    if (value < 0) {
      v.kind = JsonValue::Kind::negative_integer;
      v.negativeInteger = value;
    } else {  // "-0" is the integer zero
      v.kind = JsonValue::Kind::unsigned_integer;
      v.unsignedInteger = static_cast<std::uint64_t>(value);
    }
    return add(std::move(v));
  }
  bool number_unsigned(number_unsigned_t value) override {
    JsonValue v;
    v.kind = JsonValue::Kind::unsigned_integer;
    v.unsignedInteger = value;
    return add(std::move(v));
  }
  bool number_float(number_float_t, const string_t& spelling) override {
    JsonValue v;
    v.kind = JsonValue::Kind::other_number;
    v.text = spelling;
    return add(std::move(v));
  }
  bool string(string_t& value) override {
    JsonValue v;
    v.kind = JsonValue::Kind::string;
    v.text = std::move(value);
    return add(std::move(v));
  }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override { return open(JsonValue::Kind::object); }
  bool key(string_t& name) override {
    pending_key_ = std::move(name);
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(JsonValue::Kind::array); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

  std::optional<JsonValue> take() {
    if (!root_ || !open_.empty()) {
      return std::nullopt;
    }
    return std::move(*root_);
  }

 private:
  bool open(JsonValue::Kind kind) {
    if (open_.size() >= MAX_JSON_DEPTH) {
      return false;
    }
    JsonValue v;
    v.kind = kind;
    open_.push_back({std::move(v), std::move(pending_key_)});
    return true;
  }

  bool close() {
    auto [value, name] = std::move(open_.back());
    open_.pop_back();
    pending_key_ = std::move(name);
    return add(std::move(value));
  }

  bool add(JsonValue value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return true;
    }
    JsonValue& parent = open_.back().value;
    if (parent.kind == JsonValue::Kind::array) {
      parent.items.push_back(std::move(value));
    } else {
      parent.members.push_back(JsonMember{std::move(pending_key_), std::move(value)});
    }
    return true;
  }

  struct Open {
    JsonValue value;
    std::string key;  // the key this container has in its parent object
  };
  std::vector<Open> open_;
  std::string pending_key_;
  std::optional<JsonValue> root_;
};

bool write_canonical(const JsonValue& value, std::string& out) {
  switch (value.kind) {
    case JsonValue::Kind::null:
      out += "null";
      return true;
    case JsonValue::Kind::boolean:
      out += value.boolean ? "true" : "false";
      return true;
    case JsonValue::Kind::unsigned_integer:
      out += std::to_string(value.unsignedInteger);
      return true;
    case JsonValue::Kind::negative_integer:
      out += std::to_string(value.negativeInteger);
      return true;
    case JsonValue::Kind::other_number:
      return false;
    case JsonValue::Kind::string:
      append_json_string(out, value.text);
      return true;
    case JsonValue::Kind::array: {
      out.push_back('[');
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        if (i != 0)
          out.push_back(',');
        if (!write_canonical(value.items[i], out))
          return false;
      }
      out.push_back(']');
      return true;
    }
    case JsonValue::Kind::object: {
      // std::string orders by unsigned bytes, and a later assignment replaces an earlier one.
      std::map<std::string_view, const JsonValue*> sorted;
      for (const auto& [name, member] : value.members) {
        sorted[name] = &member;
      }
      out.push_back('{');
      bool first = true;
      for (const auto& [name, member] : sorted) {
        if (!first)
          out.push_back(',');
        first = false;
        append_json_string(out, name);
        out.push_back(':');
        if (!write_canonical(*member, out))
          return false;
      }
      out.push_back('}');
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<JsonValue> parse_json(std::string_view text) {
  // The parser would skip a byte-order mark on its own; the documents must not carry one.
  if (text.starts_with("\xEF\xBB\xBF")) {
    return std::nullopt;
  }
  // The parser's scanner takes a NUL byte for the end of the input and would accept whatever
  // follows it unread. A NUL byte has no place anywhere in a JSON text (inside a string it must
  // be escaped), so refusing it here refuses exactly what the scanner would misread.
  if (text.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  TreeBuilder builder;
  const bool accepted =
      nlohmann::json::sax_parse(text, &builder, nlohmann::json::input_format_t::json,
                                /*strict=*/true, /*ignore_comments=*/false);
  if (!accepted) {
    return std::nullopt;
  }
  return builder.take();
}

std::optional<std::string> canonical_json(const JsonValue& value) {
  std::string out;
  if (!write_canonical(value, out)) {
    return std::nullopt;
  }
  return out;
}

std::vector<std::pair<std::string_view, const JsonValue*>> last_occurrences(
    const JsonValue& object) {
  std::map<std::string_view, std::size_t> last;
  for (std::size_t i = 0; i < object.members.size(); ++i) {
    last[object.members[i].name] = i;
  }
  std::vector<std::pair<std::string_view, const JsonValue*>> result;
  for (std::size_t i = 0; i < object.members.size(); ++i) {
    const auto& [name, member] = object.members[i];
    if (last[name] == i) {
      result.emplace_back(name, &member);
    }
  }
  return result;
}

bool has_unique_keys(const JsonValue& object) {
  std::set<std::string_view> seen;
  for (const auto& [name, member] : object.members) {
    if (!seen.insert(name).second) {
      return false;
    }
  }
  return true;
}

}  // namespace borelu::manifest
