#include <sodium.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/hex.h"
#include "crypto/ed25519.h"
#include "crypto/sha256.h"
#include "crypto/sodium_init.h"
#include "manifest/base64.h"
#include "manifest/release.h"

namespace borelu::crypto {
namespace {

std::vector<unsigned char> from_hex(std::string_view hex) {
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(
        static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

struct Vector {
  const char* secret;
  const char* publicKey;
  const char* message;
  const char* signature;
};

// RFC 8032, section 7.1, tests 1 to 3.
const Vector kRfc8032[] = {
    {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b"
     "46bd25bf5f0595bbe24655141438e7a100b"},
    {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11"
     "d8c387b2eaeb4302aeeb00d291612bb0c00"},
    {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc"
     "6594a7c15e9716ed28dc027beceea1ec40a"},
};

Ed25519Seed seed_of(const char* hex) {
  Ed25519Seed seed{};
  const auto bytes = from_hex(hex);
  std::copy(bytes.begin(), bytes.end(), seed.begin());
  return seed;
}

TEST(Ed25519, Rfc8032VectorsSignAndVerify) {
  for (const Vector& v : kRfc8032) {
    const auto seed = seed_of(v.secret);
    EXPECT_EQ(to_lower_hex(*ed25519_public_key(seed)), v.publicKey);
    const auto message = from_hex(v.message);
    const auto signature = ed25519_sign(seed, message);
    ASSERT_TRUE(signature);
    EXPECT_EQ(to_lower_hex(*signature), v.signature);
    EXPECT_TRUE(ed25519_verify(from_hex(v.publicKey), message, from_hex(v.signature)));

    auto tampered = from_hex(v.signature);
    tampered[10] ^= 1;
    EXPECT_FALSE(ed25519_verify(from_hex(v.publicKey), message, tampered));
    auto other_message = message;
    other_message.push_back(0);
    EXPECT_FALSE(ed25519_verify(from_hex(v.publicKey), other_message, from_hex(v.signature)));
  }
}

TEST(Ed25519, SignatureWithUnreducedScalarIsRefused) {
  // S + L is the same scalar modulo L, so a verifier that reduces S would accept it; RFC 8032
  // requires S < L, which makes the signature non-malleable.
  const Vector& v = kRfc8032[1];
  auto signature = from_hex(v.signature);
  static constexpr unsigned char kOrder[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58,
                                               0xd6, 0x9c, 0xf7, 0xa2, 0xde, 0xf9, 0xde, 0x14,
                                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};
  unsigned carry = 0;
  for (std::size_t i = 0; i < 32; ++i) {
    const unsigned sum = signature[32 + i] + kOrder[i] + carry;
    signature[32 + i] = static_cast<unsigned char>(sum);
    carry = sum >> 8;
  }
  ASSERT_EQ(carry, 0u);
  EXPECT_FALSE(ed25519_verify(from_hex(v.publicKey), from_hex(v.message), signature));
}

TEST(Ed25519, WrongLengthsDoNotVerify) {
  const Vector& v = kRfc8032[0];
  auto signature = from_hex(v.signature);
  signature.pop_back();
  EXPECT_FALSE(ed25519_verify(from_hex(v.publicKey), {}, signature));
  auto key = from_hex(v.publicKey);
  key.push_back(0);
  EXPECT_FALSE(ed25519_verify(key, {}, from_hex(v.signature)));
}

TEST(Ed25519, SmallOrderAndNonCanonicalKeysAreRefusedWithoutAborting) {
  // Some libraries abort the process on some of these keys instead of refusing them.
  std::vector<unsigned char> signature(64, 0);
  signature[0] = 5;
  for (const char* key : {
           "0000000000000000000000000000000000000000000000000000000000000000",
           "0000000000000000000000000000000000000000000000000000000000000080",
           "0100000000000000000000000000000000000000000000000000000000000000",
           "0100000000000000000000000000000000000000000000000000000000000080",
           "ecffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f",
           "26e8958fc2b227b045c3f489f2ef98f0d5dfac05d3c63339b13802886d53fc85",
           "c7176a703d4dd84fba3c0b760d10670f2a2053fa2c39ccc64ec7fd7792ac037a",
           "edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f",
           "eeffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",
       }) {
    EXPECT_FALSE(ed25519_verify(from_hex(key), {}, signature)) << key;
  }
}

TEST(Ed25519, SignatureThatHoldsForAnyMessageUnderTheNeutralKeyIsRefused) {
  // With the neutral point as key and as R, and S = 0, RFC 8032's equation [S]B = R + [k]A holds
  // whatever the message: only the refusal of small-order keys and R values stops this forgery.
  const auto neutral = from_hex("0100000000000000000000000000000000000000000000000000000000000000");
  std::vector<unsigned char> signature(neutral);
  signature.resize(64, 0);
  for (std::string_view message : {"", "any release at all"}) {
    EXPECT_FALSE(ed25519_verify(
        neutral, {reinterpret_cast<const unsigned char*>(message.data()), message.size()},
        signature))
        << message;
  }
}

// Each compression this program can run: the SHA extensions' only where the processor has them.
std::vector<std::pair<const char*, Sha256Blocks>> compressions() {
  std::vector<std::pair<const char*, Sha256Blocks>> all{{"portable", sha256_blocks_portable}};
  if (const Sha256Blocks quick = sha256_blocks_sha_extensions()) {
    all.emplace_back("SHA extensions", quick);
  }
  return all;
}

std::string hex_of(Sha256& digest) {
  return to_lower_hex(digest.finish());
}

// Deterministic bytes of every value.
std::vector<unsigned char> message_of(std::size_t size) {
  std::vector<unsigned char> bytes(size);
  std::uint32_t x = 0x9e3779b9;
  for (auto& byte : bytes) {
    x = x * 1664525 + 1013904223;
    byte = static_cast<unsigned char>(x >> 24);
  }
  return bytes;
}

std::string libsodium_hex(std::span<const unsigned char> bytes) {
  ensure_sodium();
  Sha256Digest digest{};
  crypto_hash_sha256(digest.data(), bytes.data(), bytes.size());
  return to_lower_hex(digest);
}

TEST(Sha256, QuickestCompressionIsChosen) {
  const Sha256Blocks quick = sha256_blocks_sha_extensions();
  EXPECT_EQ(sha256_blocks(), quick != nullptr ? quick : sha256_blocks_portable);
  if (quick == nullptr) {
    GTEST_SKIP() << "this processor lacks the SHA extensions: only the portable path is tested";
  }
}

TEST(Sha256, NistVectorsWithEachCompression) {
  // FIPS 180-4's examples and NIST's long messages, fed in pieces of 1000 bytes.
  const std::pair<std::string, const char*> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
       "nopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [name, compress] : compressions()) {
    for (const auto& [text, expected] : vectors) {
      const std::span<const unsigned char> bytes{
          reinterpret_cast<const unsigned char*>(text.data()), text.size()};
      Sha256 digest(compress);
      for (std::size_t at = 0; at < bytes.size(); at += 1000) {
        digest.update(bytes.subspan(at, std::min<std::size_t>(1000, bytes.size() - at)));
      }
      EXPECT_EQ(hex_of(digest), expected) << name << ", " << text.size() << " bytes";
    }
  }
  EXPECT_EQ(sha256_hex({}), std::get<1>(vectors[0]));
}

TEST(Sha256, AgreesWithLibsodiumAtEverySplitOfShortMessages) {
  // Every length around the padding's one and two blocks, split in two at every point.
  const auto message = message_of(300);
  for (const auto& [name, compress] : compressions()) {
    for (std::size_t size = 0; size <= message.size(); ++size) {
      const auto bytes = std::span(message).first(size);
      const std::string expected = libsodium_hex(bytes);
      for (std::size_t split = 0; split <= size; ++split) {
        Sha256 digest(compress);
        digest.update(bytes.first(split));
        digest.update(bytes.subspan(split));
        ASSERT_EQ(hex_of(digest), expected) << name << ", " << size << " bytes at " << split;
      }
    }
  }
}

TEST(Sha256, AgreesWithLibsodiumAroundReadPieceBoundaries) {
  // Messages around one and two 64 KiB read pieces, fed in pieces that leave every remainder
  // of a block pending before a run of whole blocks.
  const auto message = message_of(2 * 65536 + 65);
  for (const auto& [name, compress] : compressions()) {
    for (const std::size_t size : {65536 - 65, 65536 - 64, 65536 - 1, 65536, 65536 + 1, 65536 + 55,
                                   65536 + 56, 65536 + 64, 2 * 65536, 2 * 65536 + 65}) {
      const auto bytes = std::span(message).first(size);
      const std::string expected = libsodium_hex(bytes);
      for (const std::size_t piece : {1, 7, 63, 64, 65, 4095, 65535, 65536, 65537}) {
        Sha256 digest(compress);
        for (std::size_t at = 0; at < size; at += piece) {
          digest.update(bytes.subspan(at, std::min(piece, size - at)));
        }
        EXPECT_EQ(hex_of(digest), expected) << name << ", " << size << " bytes by " << piece;
      }
    }
  }
}

TEST(Base64, StrictCanonicalDecoding) {
  using manifest::decode_base64;
  using manifest::encode_base64;
  for (const std::string& text :
       std::vector<std::string>{"", "f", "fo", "foo", "foob", "fooba", "foobar"}) {
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    const auto encoded = encode_base64(bytes);
    const auto decoded = decode_base64(encoded);
    ASSERT_TRUE(decoded) << encoded;
    EXPECT_EQ(*decoded, bytes);
  }
  EXPECT_EQ(encode_base64(std::vector<unsigned char>{'f', 'o', 'o', 'b'}), "Zm9vYg==");
  EXPECT_EQ(encode_base64(std::vector<unsigned char>{0xfb, 0xff}), "+/8=");
  for (const char* bad :
       {"Zm9vYg", "Zm9vYg=", "Zm9vYh==", "Zm9vYmE", "Zm9vYmF=", "Zm9v\nYg==", "Zm9v Yg==",
        "Zm=vYg==", "====", "Zg===", "Zm9vYg==Zm9v", "-_8=", "Zm9vYmFy===="}) {
    EXPECT_FALSE(decode_base64(bad)) << bad;
  }
}

}  // namespace
}  // namespace borelu::crypto
