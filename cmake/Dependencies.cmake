# Third-party code, all from Debian packages.

# GoogleTest from its packaged sources, so the same version builds natively and with MinGW.
if(BORELU_TEST_BUILD)
  set(BORELU_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${BORELU_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# nlohmann-json is header only. Only its own folder goes on the include path, never the host's
# /usr/include as a whole, which the cross compiler must not see.
set(BORELU_NLOHMANN_SOURCE /usr/include/nlohmann CACHE PATH "nlohmann-json headers")
set(BORELU_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${BORELU_THIRD_PARTY_INCLUDE})
file(CREATE_LINK ${BORELU_NLOHMANN_SOURCE} ${BORELU_THIRD_PARTY_INCLUDE}/nlohmann SYMBOLIC)
add_library(borelu_nlohmann_json INTERFACE)
target_include_directories(borelu_nlohmann_json SYSTEM INTERFACE ${BORELU_THIRD_PARTY_INCLUDE})

# libsodium: Debian's shared library natively. Debian has no MinGW-w64 build of it, so for Windows
# tools/build_mingw_sodium.sh builds Debian's source into one folder shared by every Windows
# build folder; configuring a Windows preset builds it there first when it is missing or stale
# (in a few minutes, once), so a fresh machine needs no step of its own.
if(WIN32)
  set(BORELU_MINGW_SODIUM ${CMAKE_SOURCE_DIR}/build/mingw-sodium CACHE PATH "MinGW-w64 libsodium build")
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/tools/build_mingw_sodium.sh ${BORELU_MINGW_SODIUM}
                  RESULT_VARIABLE sodium_result OUTPUT_VARIABLE sodium_output ERROR_VARIABLE sodium_output)
  if(NOT sodium_result EQUAL 0)
    message(FATAL_ERROR " tools/build_mingw_sodium.sh failed:\n${sodium_output}")
  endif()
  add_library(borelu_sodium INTERFACE)
  target_include_directories(borelu_sodium SYSTEM INTERFACE ${BORELU_MINGW_SODIUM}/include)
  # advapi32 for the system random source (RtlGenRandom), which libsodium's initialisation seeds
  # its generator from.
  target_link_libraries(borelu_sodium INTERFACE ${BORELU_MINGW_SODIUM}/lib/libsodium.a advapi32)
else()
  find_library(BORELU_SODIUM_LIBRARY NAMES sodium REQUIRED)
  add_library(borelu_sodium INTERFACE)
  target_link_libraries(borelu_sodium INTERFACE ${BORELU_SODIUM_LIBRARY})
endif()
