#include <gtest/gtest.h>

#include "manifest/release.h"
#include "signed_document.h"

namespace borelu::testing {
namespace {

using manifest::Release;

std::string valid_payload() {
  return release_json(three_files());
}

TEST(ReleaseMetadata, AValidDocumentGivesItsRelease) {
  const auto release = verify(signed_document(valid_payload()));
  ASSERT_TRUE(release) << release.error().text();
  EXPECT_EQ(release->version, "1.4.2");
  EXPECT_EQ(release->minBootstrapper, 1u);
  EXPECT_EQ(release->publishedAt, "2026-12-01T10:00:00Z");
  ASSERT_EQ(release->files.size(), 3u);
  EXPECT_EQ(release->files[1],
            (manifest::Artifact{"BoreluService.exe",
                                "https://borelu.app/releases/1.4.2/BoreluService.exe", digest('a'),
                                2048}));
}

TEST(ReleaseMetadata, SizeLimitIsCheckedFirst) {
  EXPECT_EQ(failure_of(""), "Release metadata is too large.");
  std::string document = signed_document(valid_payload());
  document.resize(manifest::MAX_METADATA_BYTES, ' ');
  EXPECT_EQ(failure_of(document), "OK 1.4.2");
  document.push_back(' ');
  EXPECT_EQ(failure_of(document), "Release metadata is too large.");
  EXPECT_EQ(failure_of(std::string(40000, '{')), "Release metadata is too large.");
}

TEST(ReleaseMetadata, EnvelopeIsReadStrictly) {
  const std::string payload = valid_payload();
  const std::string signature = signature_for(payload);
  const std::string good = envelope(payload, signature);
  for (const std::string& bad : {
           "{\"schema\":1,\"payload\":" + payload + ",\"signature\":\"" + signature + "\",\"x\":0}",
           "{\"schema\":1,\"schema\":1,\"payload\":" + payload + ",\"signature\":\"" + signature +
               "\"}",
           "{\"payload\":" + payload + ",\"signature\":\"" + signature + "\"}",
           "\xEF\xBB\xBF" + good,
           good + "x",
           good + "{}",
           "\f" + good,
           "\xC2\xA0" + good,
           envelope(payload, signature, "\"1\""),
           envelope(payload, signature, "4294967296"),
           envelope(payload, signature, "1.0"),
           envelope(payload, signature, "1e0"),
           envelope(payload, signature, "-1"),
           "{\"schema\":1,\"payload\":" + payload + ",\"signature\":7}",
           "[1," + payload + "]",
           "[1," + payload + ",\"" + signature + "\",0]",
           "{\"schema\":1,\"payload\":\"\xFF\",\"signature\":\"" + signature + "\"}",
           "{\"schema\":1,\"payload\":\"\\ud800\",\"signature\":\"" + signature + "\"}",
           "{\"schema\":1,\"payload\":" + payload + ",\"signature\":\"" + signature + "\"",
           "{\"schema\":1,\"payload\":" + payload + ",\"signature\":\"" + signature + "\",}",
           "/*c*/" + good,
       }) {
    EXPECT_EQ(failure_of(bad), "Invalid release metadata.") << bad.substr(0, 80);
  }
  EXPECT_EQ(failure_of(" \t\r\n" + good + "\r\n\t "), "OK 1.4.2");
  EXPECT_EQ(failure_of("[1," + payload + ",\"" + signature + "\"]"), "OK 1.4.2");
}

TEST(ReleaseMetadata, NestingBeyond128LevelsIsMalformed) {
  const auto nested = [](int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
  };
  // The envelope is level 1, so the payload may open 127 more.
  EXPECT_EQ(failure_of(envelope(nested(127), signature_for(valid_payload()))),
            "The release signature could not be verified.");
  EXPECT_EQ(failure_of(envelope(nested(128), signature_for(valid_payload()))),
            "Invalid release metadata.");
}

TEST(ReleaseMetadata, OnlySchemaOneIsSupported) {
  const std::string payload = valid_payload();
  EXPECT_EQ(failure_of(envelope(payload, signature_for(payload), "2")),
            "Unsupported update metadata format.");
  EXPECT_EQ(failure_of(envelope(payload, signature_for(payload), "0")),
            "Unsupported update metadata format.");
}

TEST(ReleaseMetadata, SignatureTextMustBeCanonicalBase64) {
  const std::string payload = valid_payload();
  std::string signature = signature_for(payload);
  ASSERT_TRUE(signature.ends_with("=="));
  EXPECT_EQ(failure_of(envelope(payload, signature.substr(0, 40) + "\n" + signature.substr(40))),
            "Invalid release signature.");
  EXPECT_EQ(failure_of(envelope(payload, signature.substr(0, signature.size() - 2))),
            "Invalid release signature.");
  // 64 bytes leave four spare bits in the last symbol: setting one is a second spelling.
  std::string spare = signature;
  spare[spare.size() - 3] = static_cast<char>(spare[spare.size() - 3] + 1);
  EXPECT_EQ(failure_of(envelope(payload, spare)), "Invalid release signature.");
  EXPECT_EQ(failure_of(envelope(payload, std::string(84, 'A') + "-A==")),
            "Invalid release signature.");

  const auto bytes = *manifest::decode_base64(signature);
  std::vector<unsigned char> short_sig(bytes.begin(), bytes.end() - 1);
  std::vector<unsigned char> long_sig(bytes.begin(), bytes.end());
  long_sig.push_back(0);
  EXPECT_EQ(failure_of(envelope(payload, manifest::encode_base64(short_sig))),
            "The release signature could not be verified.");
  EXPECT_EQ(failure_of(envelope(payload, manifest::encode_base64(long_sig))),
            "The release signature could not be verified.");
  EXPECT_EQ(failure_of(envelope(payload, "")), "The release signature could not be verified.");
}

TEST(ReleaseMetadata, SignatureCoversTheCanonicalPayloadNotItsSpelling) {
  const std::string payload = valid_payload();
  const std::string signature = signature_for(payload);

  // Re-indented, members reordered, "/" written as "\/", letters as \u escapes.
  std::string respelled = "{\n  \"files\" : [" + three_files() +
                          "],\n  \"publishedAt\": \"2026-12-01T10:00:00Z\","
                          "\n  \"minBootstrapper\": 1,\n  \"version\": \"\\u0031.4.2\"\n}";
  const auto slash = respelled.find("https://");
  respelled.replace(slash, 8, "https:\\/\\/");
  EXPECT_EQ(failure_of(envelope(respelled, signature)), "OK 1.4.2");

  // A repeated key inside the payload: the last one counts, for the signature and the record.
  const std::string repeated = "{\"version\":\"9.9.9\"," + payload.substr(1);
  EXPECT_EQ(failure_of(envelope(repeated, signature)), "OK 1.4.2");

  // Any changed value breaks the signature.
  for (const auto& [from, to] :
       std::vector<std::pair<std::string, std::string>>{{"\"1.4.2\"", "\"1.4.3\""},
                                                        {"2048", "2049"},
                                                        {"10:00:00Z", "10:00:01Z"},
                                                        {"aaaa", "aaab"}}) {
    std::string changed = payload;
    changed.replace(changed.find(from), from.size(), to);
    EXPECT_EQ(failure_of(envelope(changed, signature)),
              "The release signature could not be verified.")
        << to;
  }
}

TEST(ReleaseMetadata, NumbersThatAreNotPlainIntegersMakeThePayloadInvalid) {
  const std::string payload = release_json(three_files(), "1.4.2", "1.0");
  EXPECT_EQ(failure_of(envelope(payload, signature_for(valid_payload()))),
            "Invalid release payload.");
  EXPECT_EQ(failure_of(envelope(release_json(three_files(), "1.4.2", "1e0"), "")),
            "Invalid release payload.");
  EXPECT_EQ(failure_of(envelope(release_json(three_files(), "1.4.2", "18446744073709551616"), "")),
            "Invalid release payload.");
}

TEST(ReleaseMetadata, SignedPayloadMustBeExactlyARelease) {
  for (const std::string& payload : {
           "{\"notes\":\"x\"," + valid_payload().substr(1),
           "{\"version\":\"1.4.2\",\"minBootstrapper\":1,\"files\":[" + three_files() + "]}",
           release_json(three_files(), "1.4.2", "-1"),
           release_json(three_files(), "1.4.2", "4294967296"),
           release_json(three_files(), "1.4.2", "\"1\""),
           release_json(artifact_json("Borelu.exe", "1.4.2", "\"2048\"") + "," +
                        artifact_json("BoreluService.exe") + "," +
                        artifact_json("BoreluUpdater.exe")),
           release_json(three_files() + ",7"),
           std::string("[\"1.4.2\",1,\"x\"]"),
           std::string("\"1.4.2\""),
       }) {
    EXPECT_EQ(failure_of(signed_document(payload)), "Unknown/missing release fields.") << payload;
  }
  // The array forms are records too.
  const std::string array_artifacts =
      "[\"Borelu.exe\",\"https://borelu.app/releases/1.4.2/Borelu.exe\",2048,\"" + digest('b') +
      "\"]," + artifact_json("BoreluService.exe") + "," + artifact_json("BoreluUpdater.exe");
  EXPECT_EQ(failure_of(signed_document("[\"1.4.2\",0,\"\",[" + array_artifacts + "]]")),
            "OK 1.4.2");
}

TEST(ReleaseMetadata, VersionAndGenerationRules) {
  EXPECT_EQ(failure_of(signed_document(release_json(three_files("1.4"), "1.4"))),
            "Invalid release version.");
  EXPECT_EQ(failure_of(signed_document(release_json(three_files("01.4.2"), "01.4.2"))),
            "Invalid release version.");
  EXPECT_EQ(failure_of(signed_document(release_json(three_files(), "1.4.2", "0"))), "OK 1.4.2");
  EXPECT_EQ(failure_of(signed_document(release_json(three_files(), "1.4.2", "2"))),
            "Download the current BoreluSetup from borelu.app.");
  // The version rules come before the generation rule.
  EXPECT_EQ(failure_of(signed_document(release_json(three_files(), "1.4.2.0", "2"))),
            "Invalid release version.");
}

TEST(ReleaseMetadata, PublishedAtAndFileCount) {
  EXPECT_EQ(
      failure_of(signed_document(release_json(three_files(), "1.4.2", "1", std::string(40, 'x')))),
      "OK 1.4.2");
  EXPECT_EQ(
      failure_of(signed_document(release_json(three_files(), "1.4.2", "1", std::string(41, 'x')))),
      "Invalid release file list.");
  const std::string two = artifact_json("Borelu.exe") + "," + artifact_json("BoreluService.exe");
  EXPECT_EQ(failure_of(signed_document(release_json(two))), "Invalid release file list.");
  EXPECT_EQ(
      failure_of(signed_document(release_json(three_files() + "," + artifact_json("Borelu.exe")))),
      "Invalid release file list.");
}

TEST(ReleaseMetadata, EachApprovedExecutableExactlyOnce) {
  const std::string twice = artifact_json("Borelu.exe") + "," + artifact_json("Borelu.exe") + "," +
                            artifact_json("BoreluUpdater.exe");
  EXPECT_EQ(failure_of(signed_document(release_json(twice))),
            "Release must contain each approved executable exactly once.");
  const std::string letter_case = artifact_json("borelu.exe") + "," +
                                  artifact_json("BoreluService.exe") + "," +
                                  artifact_json("BoreluUpdater.exe");
  EXPECT_EQ(failure_of(signed_document(release_json(letter_case))),
            "Release must contain each approved executable exactly once.");
}

TEST(ReleaseMetadata, ArtifactDigestSizeAndUrl) {
  const auto with_service = [](std::string service) {
    return signed_document(release_json(artifact_json("Borelu.exe") + "," + service + "," +
                                        artifact_json("BoreluUpdater.exe")));
  };
  const std::string name = "BoreluService.exe";
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "2048", digest('A')))),
            "Invalid SHA-256/public key.");
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "2048", digest('a').substr(1)))),
            "Invalid SHA-256/public key.");
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "1023"))),
            "Release file size is outside the supported limit.");
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "25165825"))),
            "Release file size is outside the supported limit.");
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "1024"))), "OK 1.4.2");
  EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "25165824"))), "OK 1.4.2");
  for (const std::string& url :
       std::vector<std::string>{"http://borelu.app/releases/1.4.2/BoreluService.exe",
                                "https://evil.example/releases/1.4.2/BoreluService.exe",
                                "https://Borelu.app/releases/1.4.2/BoreluService.exe",
                                "https://borelu.app/releases/1.4.2/BoreluService.exe/",
                                "https://borelu.app/releases/1.4.2/BoreluService.exe?x=1",
                                "https://borelu.app/releases/1.4.3/BoreluService.exe",
                                "https://borelu.app:443/releases/1.4.2/BoreluService.exe"}) {
    EXPECT_EQ(failure_of(with_service(artifact_json(name, "1.4.2", "2048", digest('a'), url))),
              "Release download URL is not an approved Borelu URL.")
        << url;
  }
}

TEST(ReleaseMetadata, FirstApprovedNameDecidesAndEachFileIsCheckedInOrder) {
  // The updater's digest and the application's size are both wrong: the application decides.
  const std::string files = artifact_json("Borelu.exe", "1.4.2", "5") + "," +
                            artifact_json("BoreluService.exe") + "," +
                            artifact_json("BoreluUpdater.exe", "1.4.2", "2048", digest('G'));
  EXPECT_EQ(failure_of(signed_document(release_json(files))),
            "Release file size is outside the supported limit.");
  // Within one file: digest before size before URL.
  const std::string all_wrong =
      artifact_json("Borelu.exe", "1.4.2", "5", digest('G'), "http://x/") + "," +
      artifact_json("BoreluService.exe") + "," + artifact_json("BoreluUpdater.exe");
  EXPECT_EQ(failure_of(signed_document(release_json(all_wrong))), "Invalid SHA-256/public key.");
  const std::string size_and_url =
      artifact_json("Borelu.exe", "1.4.2", "5", digest('a'), "http://x/") + "," +
      artifact_json("BoreluService.exe") + "," + artifact_json("BoreluUpdater.exe");
  EXPECT_EQ(failure_of(signed_document(release_json(size_and_url))),
            "Release file size is outside the supported limit.");
}

TEST(PinnedKey, DocumentHasTheFixedLayout) {
  EXPECT_EQ(manifest::PINNED_KEY_DOCUMENT.size(), 112u);
  EXPECT_EQ(manifest::PINNED_KEY_DOCUMENT, "{\n  \"algorithm\": \"ed25519\",\n  \"publicKey\": \"" +
                                               std::string(build::PINNED_PUBLIC_KEY_HEX) +
                                               "\"\n}\n");
  EXPECT_EQ(manifest::make_key_document(build::PINNED_PUBLIC_KEY_HEX),
            manifest::PINNED_KEY_DOCUMENT);
}

TEST(PinnedKey, KeyDocumentFaultsHaveTheirOwnMessages) {
  const std::string document = signed_document(valid_payload());
  const auto with_key = [&](std::string_view key_document) {
    const auto r = manifest::verify_release_metadata(document, {key_document, TEST_HOST});
    return r ? std::string("OK") : r.error().text();
  };
  EXPECT_EQ(with_key("{"), "Invalid pinned key.");
  EXPECT_EQ(with_key("{\"algorithm\":\"ed25519\"}"), "Missing pinned key.");
  EXPECT_EQ(with_key("{\"publicKey\":7}"), "Missing pinned key.");
  EXPECT_EQ(with_key("[\"x\"]"), "Missing pinned key.");
  EXPECT_EQ(with_key("{\"publicKey\":\"ABC\"}"), "Invalid SHA-256/public key.");
  EXPECT_EQ(with_key(manifest::make_key_document(digest('0'))),
            "The release signature could not be verified.");
  // The key comes before the signature: a broken key wins over a broken signature.
  const auto broken =
      manifest::verify_release_metadata(envelope(valid_payload(), "!"), {"{", TEST_HOST});
  EXPECT_EQ(broken.error().text(), "Invalid pinned key.");
}

TEST(ReleaseVersion, ParsesThreeCanonicalDecimalParts) {
  EXPECT_EQ(*manifest::parse_release_version("0.0.0"), (manifest::ReleaseVersion{0, 0, 0}));
  EXPECT_EQ(*manifest::parse_release_version("9999999.9999999.9999999"),
            (manifest::ReleaseVersion{9999999, 9999999, 9999999}));
  EXPECT_EQ(*manifest::parse_release_version("1.10.0"), (manifest::ReleaseVersion{1, 10, 0}));
  for (const char* bad :
       {"1.4", "1.4.2.0", "01.4.2", "1.04.2", "1.4.2-beta", " 1.4.2", "1.4.2 ", "12345678.0.0",
        "1..2", ".1.2", "1.2.", "", "1.4.+2", "1.4.a", "\xd9\xa1.0.0"}) {
    const auto parsed = manifest::parse_release_version(bad);
    ASSERT_FALSE(parsed) << bad;
    EXPECT_EQ(parsed.error().text(), "Invalid release version.") << bad;
  }
}

TEST(ReleaseVersion, OrdersMajorThenMinorThenPatch) {
  const auto v = [](const char* text) { return *manifest::parse_release_version(text); };
  EXPECT_LT(v("1.9.9"), v("1.10.0"));
  EXPECT_LT(v("1.4.2"), v("1.4.3"));
  EXPECT_LT(v("1.99.99"), v("2.0.0"));
  EXPECT_EQ(v("1.4.2"), v("1.4.2"));
  EXPECT_GT(v("2.0.0"), v("1.999.999"));
}

TEST(Sha256Hex, OnlySixtyFourLowerCaseDigits) {
  const auto bytes = manifest::decode_sha256_hex("00ff" + std::string(60, '1'));
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[0], 0x00);
  EXPECT_EQ((*bytes)[1], 0xff);
  EXPECT_EQ((*bytes)[2], 0x11);
  for (const std::string& bad :
       {std::string(63, 'a'), std::string(65, 'a'), "00FF" + std::string(60, '1'),
        std::string(63, 'a') + "g", std::string(63, 'a') + " "}) {
    ASSERT_FALSE(manifest::decode_sha256_hex(bad));
    EXPECT_EQ(manifest::decode_sha256_hex(bad).error().text(), "Invalid SHA-256/public key.");
  }
}

}  // namespace
}  // namespace borelu::testing
