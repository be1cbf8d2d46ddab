#include "win/dll_search.h"

#include <windows.h>
#include <delayimp.h>

namespace borelu::win {
namespace {

// Called by the delay-load helper before it loads a delay-imported DLL: the DLL comes from
// System32 (or, for the common controls, from the side-by-side assembly the manifest names,
// which the system consults before any folder), whatever the process's search order is then.
FARPROC WINAPI load_from_system32(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary) {
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(
      reinterpret_cast<void*>(LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)));
}

}  // namespace

bool restrict_dll_search() {
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
}

}  // namespace borelu::win

// The delay-load helper's notification hook (one per program). Defining it here replaces the
// runtime's empty default (the declaration in <delayimp.h> gives it C linkage).
PfnDliHook __pfnDliNotifyHook2 = borelu::win::load_from_system32;
