# Compiler settings every target of the project shares.

set(BORELU_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports impossible overlaps inside libstdc++'s own string code at -O3 (GCC bug
  # 105329); the warning says nothing about our code there.
  list(APPEND BORELU_WARNINGS -Wno-restrict)
endif()

if(WIN32)
  set(BORELU_PLATFORM_DEFINITIONS UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
      _WIN32_WINNT=0x0A00 WINVER=0x0A00 NTDDI_VERSION=0x0A000006)
  # One self-contained executable: the C and C++ runtimes and winpthreads are linked in, so
  # only Windows system DLLs are imported.
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(NOT BORELU_TEST_BUILD)
    # The shipped executable is as small as its code allows: every function and object in a
    # section of its own, so that the linker drops what nothing uses (libstdc++ is built the same
    # way), optimised for size, and stripped of symbols. The test build keeps its debug
    # information. The linker's map (TARGET.map in the build folder) tells what each part
    # contributes: tests/benchmarks/benchmark_size.sh.
    add_compile_options(-Os -ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections -s -Wl,-Map,$<TARGET_PROPERTY:NAME>.map)
    # Reproducible: the same source gives the same executable, byte for byte, in any folder and
    # at any time (tools/check_release.sh). No link time stamp in the image, and no source or
    # build folder in anything the compiler writes (the later map wins for the build folder).
    add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
                        $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
    add_link_options(-Wl,--no-insert-timestamp)
  endif()
endif()

if(BORELU_FUZZ)
  # libstdc++ 12 offers std::expected only when the compiler reports C++20 concepts in full;
  # clang 16 implements them but still reports the older value.
  add_compile_options(-D__cpp_concepts=202002L -Wno-macro-redefined
                      -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(BORELU_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Indexing past a vector's end, dereferencing an empty optional or expected and the like trap at
# once instead of reading whatever lies there: the test builds check libstdc++'s preconditions.
if(BORELU_LIBRARY_ASSERTIONS)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()

function(borelu_target_defaults target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:${BORELU_WARNINGS}>)
  target_compile_definitions(${target} PRIVATE ${BORELU_PLATFORM_DEFINITIONS})
endfunction()
