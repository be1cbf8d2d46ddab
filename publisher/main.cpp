// borelu-release: the publisher's tool for release metadata.
//
//   borelu-release keygen SEED_FILE
//   borelu-release public-key SEED_FILE
//   borelu-release sign --key SEED_FILE --version X.Y.Z [--published-at TEXT]
//                       [--min-bootstrapper N] [--host HOST] --out FILE FOLDER
//   borelu-release verify [--public-key HEX] FILE
//   borelu-release publish --key SEED_FILE --version X.Y.Z --site SITE [--public-key HEX]
//                          [--published-at TEXT] [--min-bootstrapper N] [--host HOST] FOLDER
//   borelu-release check-site [--public-key HEX] [--host HOST] SITE
//   borelu-release explain TEXT
//
// "publish" lays a release out in a static update site (publisher/site.h) and prints the
// order in which its files must be uploaded: a first line, then one path relative to the site
// per line. "check-site" prints "OK <version>" like "verify".
// "verify" is relied on by release automation: on success it prints exactly "OK <version>" and
// a line feed and exits 0; on failure it prints exactly the failure text and a line feed and
// exits 1. "explain" tells support staff which explanation the failure dialog showed for a
// failure text: the class number, a tab, "information" or "error", a tab and the English title.
// Usage errors exit 2.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/hex.h"
#include "core/utf.h"
#include "manifest/release.h"
#include "manifest/update_host.h"
#include "release_tool.h"
#include "site.h"
#include "ui/failure_explanation.h"

namespace {

using namespace borelu;

constexpr int kUsage = 2;

std::filesystem::path path_of(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void print(std::FILE* stream, const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

int usage() {
  print(stderr,
        "usage: borelu-release keygen SEED_FILE\n"
        "       borelu-release public-key SEED_FILE\n"
        "       borelu-release sign --key SEED_FILE --version X.Y.Z [--published-at TEXT]\n"
        "                           [--min-bootstrapper N] [--host HOST] --out FILE FOLDER\n"
        "       borelu-release verify [--public-key HEX] FILE\n"
        "       borelu-release publish --key SEED_FILE --version X.Y.Z --site SITE [--public-key "
        "HEX]\n"
        "                              [--published-at TEXT] [--min-bootstrapper N] [--host HOST] "
        "FOLDER\n"
        "       borelu-release check-site [--public-key HEX] [--host HOST] SITE\n"
        "       borelu-release explain TEXT");
  return kUsage;
}

// Splits "--name value" pairs from the arguments; the rest are positional.
struct Parsed {
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;
  bool ok = true;
};

Parsed parse(const std::vector<std::string>& args, const std::vector<std::string>& known) {
  Parsed parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].starts_with("--")) {
      if (std::find(known.begin(), known.end(), args[i]) == known.end() || i + 1 >= args.size() ||
          parsed.options.contains(args[i])) {
        parsed.ok = false;
        return parsed;
      }
      parsed.options[args[i]] = args[i + 1];
      ++i;
    } else {
      parsed.positional.push_back(args[i]);
    }
  }
  return parsed;
}

// The key a document is checked against: the one this build pins, or --public-key.
std::string key_document_of(const Parsed& parsed) {
  if (parsed.options.contains("--public-key")) {
    return manifest::make_key_document(parsed.options.at("--public-key"));
  }
  return std::string(manifest::PINNED_KEY_DOCUMENT);
}

std::string host_of(const Parsed& parsed) {
  return parsed.options.contains("--host") ? parsed.options.at("--host")
                                           : std::string(manifest::UPDATE_HOST);
}

std::string utc_now() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date(day);
  const hh_mm_ss time(now - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

int keygen(const std::vector<std::string>& args) {
  if (args.size() != 1)
    return usage();
  const auto path = path_of(args[0]);
  if (std::filesystem::exists(path)) {
    print(stderr, "Refusing to overwrite " + args[0] + ".");
    return 1;
  }
  const auto seed = crypto::ed25519_new_seed();
  const auto public_key = crypto::ed25519_public_key(seed);
  if (!public_key) {
    print(stderr, "Key generation failed.");
    return 1;
  }
  {
    std::ofstream out(path, std::ios::binary);
    out << to_lower_hex(seed) << '\n';
    if (!out) {
      print(stderr, "Cannot write " + args[0] + ".");
      return 1;
    }
  }
  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::replace);
  print(stdout, to_lower_hex(*public_key));
  return 0;
}

int public_key(const std::vector<std::string>& args) {
  if (args.size() != 1)
    return usage();
  const auto seed = release_tool::read_seed(path_of(args[0]));
  if (!seed) {
    print(stderr, seed.error().text());
    return 1;
  }
  const auto key = crypto::ed25519_public_key(*seed);
  if (!key) {
    print(stderr, "Cannot derive the public key.");
    return 1;
  }
  print(stdout, to_lower_hex(*key));
  return 0;
}

// The release to sign, from the options "sign" and "publish" share; nothing when they are unusable.
std::optional<release_tool::SignRequest> sign_request_of(const Parsed& parsed) {
  if (!parsed.ok || parsed.positional.size() != 1 || !parsed.options.contains("--key") ||
      !parsed.options.contains("--version")) {
    return std::nullopt;
  }
  release_tool::SignRequest request;
  request.folder = path_of(parsed.positional[0]);
  request.version = parsed.options.at("--version");
  request.publishedAt =
      parsed.options.contains("--published-at") ? parsed.options.at("--published-at") : utc_now();
  request.host = host_of(parsed);
  if (parsed.options.contains("--min-bootstrapper")) {
    const std::string& text = parsed.options.at("--min-bootstrapper");
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    request.minBootstrapper = static_cast<std::uint32_t>(std::stoul(text));
  }
  return request;
}

int sign(const std::vector<std::string>& args) {
  const auto parsed = parse(
      args, {"--key", "--version", "--published-at", "--min-bootstrapper", "--host", "--out"});
  const auto request = sign_request_of(parsed);
  if (!request || !parsed.options.contains("--out")) {
    return usage();
  }
  const auto seed = release_tool::read_seed(path_of(parsed.options.at("--key")));
  if (!seed) {
    print(stderr, seed.error().text());
    return 1;
  }
  const auto document = release_tool::sign_release(*request, *seed);
  if (!document) {
    print(stderr, document.error().text());
    return 1;
  }
  const auto out = path_of(parsed.options.at("--out"));
  auto temporary = out;
  temporary += ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(document->data(), static_cast<std::streamsize>(document->size()));
    if (!file) {
      print(stderr, "Cannot write " + parsed.options.at("--out") + ".");
      return 1;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, out, error);
  if (error) {
    print(stderr, "Cannot write " + parsed.options.at("--out") + ".");
    return 1;
  }
  return 0;
}

int verify(const std::vector<std::string>& args) {
  const auto parsed = parse(args, {"--public-key"});
  if (!parsed.ok || parsed.positional.size() != 1) {
    return usage();
  }
  const auto content = release_tool::read_file(path_of(parsed.positional[0]));
  if (!content) {
    print(stderr, content.error().text());
    return kUsage;
  }
  const std::string key_document = key_document_of(parsed);
  const auto release = manifest::verify_release_metadata(
      *content, manifest::TrustAnchor{key_document, manifest::UPDATE_HOST});
  if (!release) {
    print(stdout, release.error().text());
    return 1;
  }
  print(stdout, "OK " + release->version);
  return 0;
}

int publish(const std::vector<std::string>& args) {
  const auto parsed = parse(args, {"--key", "--version", "--published-at", "--min-bootstrapper",
                                   "--host", "--site", "--public-key"});
  const auto release = sign_request_of(parsed);
  if (!release || !parsed.options.contains("--site")) {
    return usage();
  }
  const auto seed = release_tool::read_seed(path_of(parsed.options.at("--key")));
  if (!seed) {
    print(stderr, seed.error().text());
    return 1;
  }
  const release_tool::PublishRequest request{*release, path_of(parsed.options.at("--site")),
                                             key_document_of(parsed)};
  const auto publication = release_tool::publish_release(request, *seed);
  if (!publication) {
    print(stderr, publication.error().text());
    return 1;
  }
  std::string order = "Published " + publication->version +
                      ". Upload in this order, each file complete before the next:";
  for (const auto& path : publication->uploadOrder) {
    order += "\n" + path;
  }
  print(stdout, order);
  return 0;
}

int check_site(const std::vector<std::string>& args) {
  const auto parsed = parse(args, {"--public-key", "--host"});
  if (!parsed.ok || parsed.positional.size() != 1) {
    return usage();
  }
  const std::string key_document = key_document_of(parsed);
  const std::string host = host_of(parsed);
  const auto release = release_tool::check_site(path_of(parsed.positional[0]),
                                                manifest::TrustAnchor{key_document, host});
  if (!release) {
    print(stdout, release.error().text());
    return 1;
  }
  print(stdout, "OK " + release->version);
  return 0;
}

int explain(const std::vector<std::string>& args) {
  if (args.size() != 1)
    return usage();
  const int number = ui::classify_failure(args[0]);
  print(stdout, std::to_string(number) + "\t" +
                    (ui::icon_of(number) == ui::DialogIcon::information ? "information" : "error") +
                    "\t" + std::string(ui::english_title(number)));
  return 0;
}

int run(const std::vector<std::string>& args) {
  if (args.empty())
    return usage();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "keygen")
    return keygen(rest);
  if (args[0] == "public-key")
    return public_key(rest);
  if (args[0] == "sign")
    return sign(rest);
  if (args[0] == "verify")
    return verify(rest);
  if (args[0] == "publish")
    return publish(rest);
  if (args[0] == "check-site")
    return check_site(rest);
  if (args[0] == "explain")
    return explain(rest);
  return usage();
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // Exact bytes on standard output: no line-feed translation.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view wide(argv[i]);
    args.push_back(borelu::utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size())));
  }
  return run(args);
}
#else
int main(int argc, char** argv) {
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
