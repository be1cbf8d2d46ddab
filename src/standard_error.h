#pragma once

#include <string_view>

namespace borelu {

// Writes the UTF-8 message and a line feed to standard error. A process without a standard error
// handle (a GUI program started without one) has nowhere to report, and that is not a failure; a
// write that fails on a real handle ends the process abnormally, since nothing is left to report
// to.
void write_standard_error_line(std::string_view message);

}  // namespace borelu
