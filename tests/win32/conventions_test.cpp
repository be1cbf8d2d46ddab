// The Win32 conventions every module relies on: failure texts, owners, random names.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <regex>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "core/read_chunk.h"
#include "process_runner.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::win {
namespace {

std::string expected_message(DWORD code) {
  wchar_t buffer[512] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, buffer, 512, nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && iswspace(text.back())) {
    text.pop_back();
  }
  return narrow(text);
}

TEST(SystemError, FormatsLabelSystemTextAndCode) {
  const std::string message = expected_message(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(message.empty());
  EXPECT_EQ(os_failure("Open download", ERROR_FILE_NOT_FOUND).text(),
            "Open download: " + message + " (os error 2)");
  EXPECT_EQ(os_failure(ERROR_ACCESS_DENIED).text(),
            expected_message(ERROR_ACCESS_DENIED) + " (os error 5)");
}

TEST(SystemError, TrailingWhiteSpaceOfTheSystemTextIsRemoved) {
  // The system's own texts end with a line break; none may reach the failure text.
  for (const DWORD code : {2u, 5u, 32u, 183u, 1223u}) {
    const std::string text = system_error_text(code);
    const auto suffix = " (os error " + std::to_string(code) + ")";
    ASSERT_TRUE(text.ends_with(suffix)) << text;
    const std::string message = text.substr(0, text.size() - suffix.size());
    ASSERT_FALSE(message.empty());
    EXPECT_FALSE(isspace(static_cast<unsigned char>(message.back()))) << code;
    EXPECT_EQ(text.find('\n'), std::string::npos) << code;
  }
}

// The texts come from the first table that has the code: the module's own, the system's, then
// "Unknown error". Wine's winhttp.dll has no message table, so the module here is one of ours.
TEST(SystemError, AModulesTableComesFirstThenTheSystemsThenUnknownError) {
  const Module table(LoadLibraryExW(testing::program_path("BORELU_MESSAGE_TABLE_LIBRARY").c_str(),
                                    nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(table);
  const struct {
    DWORD code;
    HMODULE module;
    std::string text;
  } cases[] = {
      {12030, table.get(),
       "The connection with the server was terminated abnormally (os error 12030)"},
      {2, table.get(), "The module's own text for code 2 (os error 2)"},
      {2, nullptr, expected_message(2) + " (os error 2)"},
      {5, table.get(), expected_message(5) + " (os error 5)"},  // not in the module: the system's
      {12200, table.get(), "Unknown error (os error 12200)"},   // in neither
      {12200, nullptr, "Unknown error (os error 12200)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(error_text(c.code, c.module), c.text) << c.code;
  }
}

// WinHTTP's codes are looked up in the loaded winhttp.dll, and no other code is. Wine's has no
// table, so here their texts come from the system's table or are "Unknown error".
TEST(SystemError, WinHttpCodesAreLookedUpInTheLoadedWinHttp) {
  const Module winhttp(LoadLibraryW(L"winhttp.dll"));
  ASSERT_TRUE(winhttp);
  const struct {
    DWORD code;
    HMODULE table;
  } cases[] = {{12001, winhttp.get()}, {12030, winhttp.get()}, {12200, winhttp.get()},
               {12000, nullptr},       {12201, nullptr},       {5, nullptr}};
  for (const auto& c : cases) {
    EXPECT_EQ(message_table_for(c.code), c.table) << c.code;
  }
  for (const DWORD code : {12002u, 12029u, 12030u, 12175u}) {
    std::cout << "WinHTTP error " << code << ": " << system_error_text(code) << "\n";
  }
}

TEST(SystemError, LastErrorIsTakenFromTheThread) {
  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(last_os_failure("Lock Borelu installation").text(),
            "Lock Borelu installation: " + expected_message(32) + " (os error 32)");
}

TEST(Handles, ClosingKeepsTheLastErrorAndReleasesTheHandle) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    Handle owner(raw);
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "the handle was not closed";
}

TEST(Handles, FileHandlesTreatMinusOneAsEmptyAndMovesTransferOwnership) {
  FileHandle empty(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(empty);
  Handle null_handle;
  EXPECT_FALSE(null_handle);

  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Handle first(raw);
  Handle second(std::move(first));
  EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  EXPECT_EQ(second.get(), raw);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(raw, &flags));
  second = Handle();
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
}

// A COM object that only counts its references. COM objects are never deleted through IUnknown,
// which therefore has no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Counted final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};
#pragma GCC diagnostic pop

// What a COM function does with its out parameter: one reference for the caller.
void hand_out(Counted& object, IUnknown** out) {
  object.AddRef();
  *out = &object;
}

TEST(ComPtr, OutParametersReleaseWhatWasHeldAndTheOwnerReleasesWhatItGot) {
  Counted first;
  Counted second;
  {
    ComPtr<IUnknown> owner;
    hand_out(first, reinterpret_cast<IUnknown**>(owner.put_void()));
    EXPECT_EQ(owner.get(), &first);
    EXPECT_EQ(first.references, 2u);
    hand_out(second, owner.put());
    EXPECT_EQ(first.references, 1u) << "the reference held before was not released";
    EXPECT_EQ(owner.get(), &second);
    ComPtr<IUnknown> moved(std::move(owner));
    EXPECT_FALSE(owner);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    EXPECT_EQ(second.references, 2u);
  }
  EXPECT_EQ(second.references, 1u) << "the owner did not release its reference";
}

TEST(ReadPieces, PiecesOfAtMostOneChunkInOrderUpToTheLimit) {
  wchar_t folder[MAX_PATH + 1];
  const std::string path = narrow(std::wstring_view(folder, GetTempPathW(MAX_PATH + 1, folder))) +
                           "borelu-read-pieces.bin";
  std::string content(2 * READ_CHUNK + 5, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) {
    content[i] = static_cast<char>(i * 7 / 3);
  }
  ASSERT_TRUE(write_whole_file(path, content));
  const auto read = [&](std::size_t limit, int fail_at = -1) {
    std::vector<std::size_t> sizes;
    std::string joined;
    const FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    const Status status = read_pieces(
        file.get(),
        [&](std::span<const unsigned char> piece) -> Status {
          sizes.push_back(piece.size());
          joined.append(piece.begin(), piece.end());
          return static_cast<int>(sizes.size()) == fail_at ? fail("full") : Status{};
        },
        limit);
    return std::tuple(status ? std::string("success") : status.error().text(), sizes, joined);
  };
  EXPECT_EQ(read(NO_READ_LIMIT),
            std::tuple("success", std::vector<std::size_t>{READ_CHUNK, READ_CHUNK, 5}, content));
  EXPECT_EQ(read(READ_CHUNK + 1), std::tuple("success", std::vector<std::size_t>{READ_CHUNK, 1},
                                             content.substr(0, READ_CHUNK + 1)));
  EXPECT_EQ(std::get<0>(read(NO_READ_LIMIT, 1)), "full");
  EXPECT_EQ(std::get<1>(read(NO_READ_LIMIT, 1)).size(), 1u);
  DeleteFileW(widen(path).c_str());
}

// A non-blocking pipe that is full reports a write of 0 bytes as success: the write must fail
// instead of trying again for ever.
TEST(WriteAll, ASuccessfulWriteOfNothingFails) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 4096));
  DWORD mode = PIPE_NOWAIT;
  ASSERT_TRUE(SetNamedPipeHandleState(write_end, &mode, nullptr, nullptr));
  // Shared with the writing thread, which a loop that never ends leaves behind.
  struct Outcome {
    std::atomic<bool> done = false;
    bool failed = false;
  };
  const auto outcome = std::make_shared<Outcome>();
  std::thread([outcome, write_end] {
    outcome->failed = !write_all(write_end, std::string(1 << 20, 'x'));
    outcome->done = true;
  }).detach();
  for (int i = 0; i < 100 && !outcome->done; ++i) {
    Sleep(50);
  }
  ASSERT_TRUE(outcome->done) << "the write loop did not end";
  EXPECT_TRUE(outcome->failed);
  CloseHandle(write_end);
  CloseHandle(read_end);
}

// A record is replaced whole: a link in its place is replaced, never written through, and
// nothing of the new file is left beside it.
TEST(FileReplacement, ALinkInPlaceOfTheFileIsReplacedNotWrittenThrough) {
  const std::string link = "C:\\borelu-links\\recordlink";
  ASSERT_TRUE(replace_file_with(link, "new record"));
  EXPECT_EQ(testing::read_text(link), "new record");
  EXPECT_EQ(testing::read_text("C:\\borelu-links\\real\\record.txt"), "kept\n");
  EXPECT_EQ(path_attributes(link + ".new"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(replace_file(link, [](HANDLE) -> Status { return fail("no content"); }));
  EXPECT_EQ(testing::read_text(link), "new record");
  EXPECT_EQ(path_attributes(link + ".new"), INVALID_FILE_ATTRIBUTES);
}

TEST(Random, NamesAreLowerCaseHexAndDiffer) {
  std::set<std::string> seen;
  const std::regex form("^[0-9a-f]{32}$");
  for (int i = 0; i < 64; ++i) {
    const auto name = random_hex(16);
    ASSERT_TRUE(name) << name.error().text();
    EXPECT_TRUE(std::regex_match(*name, form)) << *name;
    seen.insert(*name);
  }
  EXPECT_EQ(seen.size(), 64u);
}

TEST(Text, WidenAndNarrowAtTheApiBoundary) {
  EXPECT_EQ(widen("\xD8\xA8\xD9\x88\xD8\xB1\xD9\x8A\xD9\x84\xD9\x88"),
            L"\x0628\x0648\x0631\x064A\x0644\x0648");
  EXPECT_EQ(narrow(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace borelu::win
