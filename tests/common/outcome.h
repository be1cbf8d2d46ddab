#pragma once

#include <string>

#include "core/failure.h"

namespace borelu::testing {

// The failure text of a result, or "success": safe to compare whatever the result holds.
template <class T>
std::string outcome(const Result<T>& result) {
  return result ? std::string("success") : result.error().text();
}

}  // namespace borelu::testing
