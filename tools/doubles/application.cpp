// Test double of the release's "Borelu.exe": a small Windows program of its own, so that a test
// release has three distinct signed files of realistic size. With "--run-for MILLISECONDS" it
// stays running that long before it exits, as an application that the user closes a moment later.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string_view>

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring_view(argv[1]) == L"--run-for") {
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    return 0;
  }
  std::printf("Borelu test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}
