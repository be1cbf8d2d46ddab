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

# libgcrypt: the shared library natively, the static one (with libgpg-error) for Windows. The
# windows-release preset names its own build of Debian's libgcrypt with only the algorithms the
# program uses (tools/build_release_gcrypt.sh).
if(WIN32)
  if(BORELU_GCRYPT_LIBRARY AND NOT EXISTS "${BORELU_GCRYPT_LIBRARY}")
    message(FATAL_ERROR " ${BORELU_GCRYPT_LIBRARY} is missing: run bash tools/build_release_gcrypt.sh first.")
  endif()
  find_library(BORELU_GCRYPT_LIBRARY NAMES libgcrypt.a REQUIRED)
  find_library(BORELU_GPG_ERROR_LIBRARY NAMES libgpg-error.a REQUIRED)
  add_library(borelu_gcrypt INTERFACE)
  target_link_libraries(borelu_gcrypt INTERFACE ${BORELU_GCRYPT_LIBRARY} ${BORELU_GPG_ERROR_LIBRARY} ws2_32)
else()
  find_library(BORELU_GCRYPT_LIBRARY NAMES gcrypt REQUIRED)
  find_library(BORELU_GPG_ERROR_LIBRARY NAMES gpg-error REQUIRED)
  add_library(borelu_gcrypt INTERFACE)
  target_link_libraries(borelu_gcrypt INTERFACE ${BORELU_GCRYPT_LIBRARY} ${BORELU_GPG_ERROR_LIBRARY})
endif()
