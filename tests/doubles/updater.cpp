// Test double of the release's "BoreluUpdater.exe": a small Windows program of its own, so that a
// test release has three distinct signed files of realistic size.

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  std::printf("BoreluUpdater test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}
