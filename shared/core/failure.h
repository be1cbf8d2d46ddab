#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <utility>

namespace borelu {

// A failed operation: the exact UTF-8 text that is reported to the user or caller.
// A distinct type (never a bare string) so that a value and an error cannot be confused.
class Failure {
 public:
  explicit Failure(std::string text) : text_(std::move(text)) {}

  [[nodiscard]] const std::string& text() const& { return text_; }
  [[nodiscard]] std::string text() && { return std::move(text_); }

  friend bool operator==(const Failure&, const Failure&) = default;

 private:
  std::string text_;
};

// The one failure text that ends a run silently: the user chose to stop, there is nothing to
// explain.
inline constexpr std::string_view kCancelledMessage = "Cancelled.";

template <class T>
using Result = std::expected<T, Failure>;

using Status = Result<void>;

[[nodiscard]] inline std::unexpected<Failure> fail(std::string text) {
  return std::unexpected<Failure>(Failure(std::move(text)));
}

}  // namespace borelu
