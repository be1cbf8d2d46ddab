// The small records read from files other accounts or processes may have written: the blocking
// policy, the worker's failure record and the record of an apply in progress. Besides surviving any
// bytes, a failure record the worker writes must read back as the message it was given, cut to 2000
// characters, and an apply record that reads must be written back byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "apply/apply_journal.h"
#include "core/utf.h"
#include "manifest/json_value.h"
#include "protocol/failure_record_format.h"
#include "windows/policy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  (void)borelu::blocking::parse_blocking_policy(input);
  (void)borelu::protocol::parse_failure_record(input, 4243, 0);
  if (const auto journal = borelu::apply::parse_apply_journal(input)) {
    if (borelu::apply::parse_apply_journal(borelu::apply::apply_journal_json(*journal)) !=
        journal) {
      std::abort();
    }
  }

  using namespace borelu::protocol;
  const std::string record = failure_record_json(4243, 1000, input);
  const std::string_view kept = borelu::first_scalars(input, RECORD_MESSAGE_MAX_CHARS);
  // Only a message that is text (valid UTF-8) makes a readable record.
  if (borelu::manifest::parse_json(record) && !kept.empty() && record.size() <= RECORD_MAX_BYTES &&
      kept.size() <= RECORD_READ_MESSAGE_MAX_BYTES) {
    if (parse_failure_record(record, 4243, 1000) != kept) {
      std::abort();
    }
  }
  return 0;
}
