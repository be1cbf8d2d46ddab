#include "webview2/signature.h"

#include <softpub.h>
#include <wintrust.h>

#include "core/hex.h"

namespace borelu::webview2 {
namespace {

// The current SDK's WINTRUST_DATA: MinGW's lacks the trailing pSignatureSettings, and the size
// Windows is told must be that of the structure it expects.
struct WintrustData {
  DWORD cbStruct;
  void* pPolicyCallbackData;
  void* pSIPClientData;
  DWORD dwUIChoice;
  DWORD fdwRevocationChecks;
  DWORD dwUnionChoice;
  WINTRUST_FILE_INFO* pFile;
  DWORD dwStateAction;
  HANDLE hWVTStateData;
  WCHAR* pwszURLReference;
  DWORD dwProvFlags;
  DWORD dwUIContext;
  void* pSignatureSettings;
};
static_assert(sizeof(WintrustData) == 88);
static_assert(sizeof(WINTRUST_FILE_INFO) == 32);

}  // namespace

Status verify_signature(const std::wstring& path, HANDLE file) {
  WINTRUST_FILE_INFO file_info{};
  file_info.cbStruct = sizeof file_info;
  file_info.pcwszFilePath = path.c_str();
  file_info.hFile = file;
  file_info.pgKnownSubject = nullptr;
  WintrustData data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file_info;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  data.dwUIContext = 0;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  (void)WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result != 0) {
    return fail("Windows could not verify the Microsoft WebView2 installer signature (0x" +
                hex8(static_cast<std::uint32_t>(result)) +
                "). Check internet access and run Setup again.");
  }
  return {};
}

}  // namespace borelu::webview2
