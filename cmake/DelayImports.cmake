# Delay-import libraries for the system DLLs that are not KnownDLLs.
#
# The executable runs elevated from a user's Downloads folder. Its static imports are resolved
# before any of its code runs, with the executable's own folder searched first, so it may import
# only KnownDLLs, which the system always maps from System32 (tests/check_imports.sh holds the
# list). Every other system DLL is linked through a delay-import library made here from
# MinGW-w64's import library: the call sites stay as they are, and the DLL is loaded at its first
# call, from System32 (shared/win/dll_search.cpp).
#
# borelu_delay_import(NAME) defines the imported library borelu::delay::NAME.
function(borelu_delay_import name)
  find_library(BORELU_IMPORT_LIBRARY_${name} NAMES lib${name}.a REQUIRED NO_CACHE)
  set(import_library ${BORELU_IMPORT_LIBRARY_${name}})
  set(folder ${CMAKE_BINARY_DIR}/delay_imports)
  set(definitions ${folder}/${name}.def)
  set(library ${folder}/lib${name}_delay.a)
  file(MAKE_DIRECTORY ${folder})
  # Every function the import library names (symbols of type T); data exports cannot be
  # delay-loaded and are left out.
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_library}
    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" functions "${symbols}")
  list(TRANSFORM functions REPLACE "^[0-9a-fA-F]+ T " "")
  list(REMOVE_DUPLICATES functions)
  list(JOIN functions "\n" exports)
  file(WRITE ${definitions}.new "LIBRARY ${name}.dll\nEXPORTS\n${exports}\n")
  file(COPY_FILE ${definitions}.new ${definitions} ONLY_IF_DIFFERENT)
  file(REMOVE ${definitions}.new)
  if(NOT EXISTS ${library} OR ${definitions} IS_NEWER_THAN ${library})
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --dllname ${name}.dll
      --output-delaylib ${library} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  add_library(borelu::delay::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(borelu::delay::${name} PROPERTIES IMPORTED_LOCATION ${library})
endfunction()
