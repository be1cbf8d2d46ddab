# cmake -DINPUT=FILE -DOUTPUT=HEADER -P BootstrapperDigest.cmake
# Writes the size and SHA-256 of the embedded bootstrapper as constants; the header is rewritten
# only when they change.
file(SIZE "${INPUT}" size)
file(SHA256 "${INPUT}" digest)
set(text "#pragma once\n\n#include <cstdint>\n#include <string_view>\n\n// Generated from ${INPUT}.\ninline constexpr std::uint64_t EMBEDDED_BOOTSTRAPPER_SIZE = ${size};\ninline constexpr std::string_view EMBEDDED_BOOTSTRAPPER_SHA256 =\n    \"${digest}\";\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
