// The smallest Windows console program that reports its peak working set the way the download
// benchmark does: the baseline that Wine itself costs, for tests/benchmarks/benchmark_download.sh.

#include <windows.h>
#include <psapi.h>

#include <cstdio>

int main() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("empty: peak working set %.1f MiB\n", counters.PeakWorkingSetSize / 1048576.0);
  return 0;
}
