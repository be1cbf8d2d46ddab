// A module whose only content that matters is its message table (message_table.mc), loaded by
// the tests of the error texts' lookup order.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) {
  return TRUE;
}
