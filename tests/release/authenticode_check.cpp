// Windows' view of a file's Authenticode signature, for the release's signing check under Wine:
// the program's own signature check (the one its worker runs on the WebView2 bootstrapper), then
// what the signature carries, read through CryptoAPI: the program's name and URL, and the RFC 3161
// time stamp that countersigns it.
//   authenticode_check FILE
// Prints "WinVerifyTrust: accepted" or the check's failure text, then "name: ...", "url: ...",
// and "timestamp: RFC 3161, YYYYMMDDHHMMSSZ" or "timestamp: none". Exit 0 when the check accepts
// the file, 1 when it refuses it, 2 when the file cannot be opened.

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <string>
#include <vector>

#include "webview2/signature.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

using namespace borelu;

void print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// The signer information of the file's embedded signature, in a buffer it owns.
std::vector<BYTE> signer_info(const std::wstring& path) {
  HCRYPTMSG message = nullptr;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(),
                        CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED, CERT_QUERY_FORMAT_FLAG_BINARY,
                        0, nullptr, nullptr, nullptr, nullptr, &message, nullptr)) {
    return {};
  }
  DWORD size = 0;
  std::vector<BYTE> info;
  if (CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) {
    info.resize(size);
    if (!CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, info.data(), &size)) {
      info.clear();
    }
  }
  CryptMsgClose(message);
  return info;
}

const CRYPT_ATTRIBUTE* find_attribute(const CRYPT_ATTRIBUTES& attributes, const char* oid) {
  for (DWORD i = 0; i < attributes.cAttr; ++i) {
    if (std::string(attributes.rgAttr[i].pszObjId) == oid && attributes.rgAttr[i].cValue > 0) {
      return &attributes.rgAttr[i];
    }
  }
  return nullptr;
}

// One DER element at `at`: its tag, and where its content starts and ends; nothing when it
// does not fit in `end`.
struct Element {
  BYTE tag = 0;
  const BYTE* content = nullptr;
  const BYTE* end = nullptr;
};

bool read_element(const BYTE*& at, const BYTE* end, Element& element) {
  if (end - at < 2) {
    return false;
  }
  element.tag = at[0];
  std::size_t length = at[1];
  const BYTE* content = at + 2;
  if (length & 0x80) {
    const std::size_t count = length & 0x7F;
    if (count == 0 || count > 2 || static_cast<std::size_t>(end - content) < count) {
      return false;
    }
    length = 0;
    for (std::size_t i = 0; i < count; ++i) {
      length = length << 8 | *content++;
    }
  }
  if (static_cast<std::size_t>(end - content) < length) {
    return false;
  }
  element.content = content;
  element.end = content + length;
  at = element.end;
  return true;
}

// An SpcString or an SpcLink's URL: [0] a BMPString (UTF-16, big-endian) or [1] an IA5String.
std::string spc_text(const Element& element) {
  if (element.tag == 0x80 && (element.end - element.content) % 2 == 0) {
    std::wstring text;
    for (const BYTE* at = element.content; at < element.end; at += 2) {
      text.push_back(static_cast<wchar_t>(at[0] << 8 | at[1]));
    }
    return win::narrow(text);
  }
  return std::string(reinterpret_cast<const char*>(element.content),
                     static_cast<std::size_t>(element.end - element.content));
}

// The program's name and URL (SpcSpOpusInfo), read from the attribute's bytes: Wine 8's decoder
// of the structure reads the IA5String form of the name as UTF-16.
void print_opus_info(const CMSG_SIGNER_INFO& signer) {
  std::string name = "none";
  std::string url = "none";
  if (const auto* attribute = find_attribute(signer.AuthAttrs, SPC_SP_OPUS_INFO_OBJID)) {
    const BYTE* at = attribute->rgValue[0].pbData;
    const BYTE* end = at + attribute->rgValue[0].cbData;
    Element sequence;
    if (read_element(at, end, sequence) && sequence.tag == 0x30) {
      at = sequence.content;
      Element field;
      while (read_element(at, sequence.end, field)) {
        const BYTE* inner_at = field.content;
        Element inner;
        if (!read_element(inner_at, field.end, inner)) {
          break;
        }
        if (field.tag == 0xA0) {
          name = spc_text(inner);
        } else if (field.tag == 0xA1 && inner.tag == 0x80) {
          url = spc_text(Element{0x81, inner.content, inner.end});
        }
      }
    }
  }
  print("name: " + name);
  print("url: " + url);
}

// The generation time of the RFC 3161 token: the first GeneralizedTime of its TSTInfo.
std::string generation_time(const CRYPT_ATTR_BLOB& token) {
  HCRYPTMSG message =
      CryptMsgOpenToDecode(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, 0, 0, nullptr, nullptr);
  if (message == nullptr) {
    return "undecodable";
  }
  std::string time = "undecodable";
  DWORD size = 0;
  if (CryptMsgUpdate(message, token.pbData, token.cbData, TRUE) &&
      CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, nullptr, &size)) {
    std::vector<BYTE> content(size);
    if (CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, content.data(), &size)) {
      for (DWORD i = 0; i + 17 <= size; ++i) {
        if (content[i] == 0x18 && content[i + 1] == 15) {
          time.assign(reinterpret_cast<const char*>(&content[i + 2]), 15);
          break;
        }
      }
    }
  }
  CryptMsgClose(message);
  return time;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: authenticode_check FILE\n", stderr);
    return 2;
  }
  const std::wstring path = argv[1];
  win::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    std::fputs("cannot open the file\n", stderr);
    return 2;
  }
  const auto verdict = webview2::verify_signature(path, file.get());
  print(verdict ? std::string("WinVerifyTrust: accepted")
                : "WinVerifyTrust: refused: " + verdict.error().text());

  const auto info = signer_info(path);
  if (info.empty()) {
    print("signature: none readable");
    return verdict ? 0 : 1;
  }
  const auto& signer = *reinterpret_cast<const CMSG_SIGNER_INFO*>(info.data());
  print_opus_info(signer);
  const auto* token = find_attribute(signer.UnauthAttrs, szOID_RFC3161_counterSign);
  print(token == nullptr ? std::string("timestamp: none")
                         : "timestamp: RFC 3161, " + generation_time(token->rgValue[0]));
  return verdict ? 0 : 1;
}
