#pragma once

namespace borelu::win {

// Makes System32 the only folder this process loads DLLs from by name: not the folder of the
// executable (which a user may have saved to Downloads, beside files planted there), not the
// current folder, not PATH. The first thing the program does; false when the system refuses, in
// which case the program must not go on.
//
// Static imports are resolved before any code runs, so the executable imports only KnownDLLs
// (always mapped from System32); every other system DLL is delay-imported, and the delay-load
// hook of this module loads it from System32 whenever its first call comes.
[[nodiscard]] bool restrict_dll_search();

}  // namespace borelu::win
