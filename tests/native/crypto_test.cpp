#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hex.h"
#include "crypto/ed25519.h"
#include "crypto/sha256.h"
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

  std::array<unsigned char, 32> order{};
  std::copy(std::begin(kOrder), std::end(kOrder), order.begin());
  EXPECT_FALSE(ed25519_scalar_is_reduced(order));
  order[0] -= 1;
  EXPECT_TRUE(ed25519_scalar_is_reduced(order));
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

TEST(Sha256, KnownDigestsWholeAndInPieces) {
  const std::string abc = "abc";
  const auto bytes = std::span(reinterpret_cast<const unsigned char*>(abc.data()), abc.size());
  EXPECT_EQ(sha256_hex(bytes), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  Sha256 pieces;
  pieces.update(bytes.first(1));
  pieces.update(bytes.subspan(1));
  EXPECT_EQ(to_lower_hex(pieces.finish()), sha256_hex(bytes));
  EXPECT_EQ(sha256_hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
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
