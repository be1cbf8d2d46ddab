// Time of one running-instance walk: with only the session's own processes, with COUNT unrelated
// processes, and with COUNT processes named "Borelu.exe" from another folder (each of which the
// walk has to open and identify). Prints the fastest, median and slowest of RUNS walks.
// Usage: borelu_running_instance_benchmark.exe APPLICATION_DOUBLE [COUNT] [RUNS]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <tlhelp32.h>

#include "controller/running_instance.h"
#include "core/path_text.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using namespace borelu;

struct Started {
  win::Handle process;
  win::Handle thread;
};

std::vector<Started> start_many(const std::string& executable, int count) {
  std::vector<Started> started;
  for (int i = 0; i < count; ++i) {
    std::wstring line = L"\"" + win::widen(executable) + L"\" --run-for 600000";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Without a console: with a console of its own each would bring a console host process along,
    // and Wine's shared console takes a few hundred processes only.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &info)) {
      std::printf("could not start process %d (error %lu)\n", i, GetLastError());
      break;
    }
    started.push_back({win::Handle(info.hProcess), win::Handle(info.hThread)});
  }
  return started;
}

void end_all(std::vector<Started>& started) {
  for (auto& s : started) {
    TerminateProcess(s.process.get(), 0);
  }
  for (auto& s : started) {
    WaitForSingleObject(s.process.get(), 10000);
  }
  started.clear();
  // Wine lets go of ended processes a moment after their last handle is closed.
  Sleep(5000);
}

void print(const std::string& what, const std::string& result, std::vector<double> millis) {
  std::sort(millis.begin(), millis.end());
  std::printf("%-62s %-5s fastest %7.2f ms, median %7.2f ms, slowest %7.2f ms (%zu runs)\n",
              what.c_str(), result.c_str(), millis.front(), millis[millis.size() / 2],
              millis.back(), millis.size());
}

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The whole walk, and beside it its two Tool Help parts alone: taking the snapshot and reading
// its entries.
void measure(const std::string& what, int runs) {
  std::vector<double> walks;
  std::vector<double> snapshots;
  std::vector<double> iterations;
  int entries = 0;
  std::string result;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    const auto found = controller::find_running_instance();
    walks.push_back(since(start));
    result = !found ? found.error().text()
                    : (*found == controller::RunningInstance::running ? "running" : "none");
    start = std::chrono::steady_clock::now();
    const win::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    snapshots.push_back(since(start));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    entries = 0;
    start = std::chrono::steady_clock::now();
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
      ++entries;
    }
    iterations.push_back(since(start));
  }
  print(what + " (" + std::to_string(entries) + " in the snapshot), one walk:", result, walks);
  print("  a snapshot alone:", "", snapshots);
  print("  reading its entries alone:", "", iterations);
}

// Lets newly started processes finish starting, so that they idle while the walk is timed.
void settle() {
  Sleep(10000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: %s APPLICATION_DOUBLE [COUNT] [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string double_path = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 200;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 20;

  wchar_t temp[MAX_PATH + 1];
  const std::string folder =
      win::narrow(std::wstring_view(temp, GetTempPathW(MAX_PATH + 1, temp))) + "borelu-walk";
  if (!win::create_directories(folder)) {
    return 1;
  }
  const std::string unrelated = join_path(folder, "Unrelated.exe");
  const std::string same_name = join_path(folder, "Borelu.exe");
  for (const std::string& copy : {unrelated, same_name}) {
    if (!CopyFileW(win::widen(double_path).c_str(), win::widen(copy).c_str(), FALSE)) {
      std::printf("could not copy the application double (error %lu)\n", GetLastError());
      return 1;
    }
  }

  measure("the session's own processes only", runs);

  auto started = start_many(unrelated, count);
  settle();
  measure(std::to_string(started.size()) + " unrelated processes", runs);
  end_all(started);

  started = start_many(same_name, count);
  settle();
  measure(std::to_string(started.size()) + " \"Borelu.exe\" from another folder", runs);
  end_all(started);
  return 0;
}
