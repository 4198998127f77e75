// The keystream cipher: its edge cases, known answers worked out with the
// literal form, and the production form held against the literal one.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "core/cipher_reference.h"

namespace vek {
namespace {

TKeyState Keyed(std::string_view key) {
  TKeyState state;
  state.SetKey(key);
  return state;
}

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

bool AllZero(const TKeyState& key) {
  return std::all_of(std::begin(key.State), std::end(key.State), [](uint8_t b) { return b == 0; });
}

TEST(CipherTest, ClearKeyStateKeepsAccumulatorAndIndex) {
  TKeyState key = Keyed("some key text");
  const uint8_t accumulator = key.Accumulator;
  const uint8_t index = key.Index;
  key.ClearKeyState();
  EXPECT_TRUE(AllZero(key));
  EXPECT_EQ(key.Accumulator, accumulator);
  EXPECT_EQ(key.Index, index);
}

TEST(CipherTest, ClearedStateIsTheIdentity) {
  TKeyState key = Keyed("some key text");
  key.ClearKeyState();
  key.ResetKeyStream();
  EXPECT_EQ(key.Accumulator, 0);
  EXPECT_EQ(key.Index, 0);
  for (unsigned value = 0; value < 256; ++value) {
    const auto byte = static_cast<uint8_t>(value);
    EXPECT_EQ(key.EncipherByte(byte), byte);
    EXPECT_EQ(key.DecipherByte(byte), byte);
  }
  // A zero accumulator at every position means no inner steps at all.
  EXPECT_TRUE(AllZero(key));
  EXPECT_EQ(key.Index, 0);
}

TEST(CipherTest, KeyTextsThatRepeatAlikeGiveTheSameState) {
  const std::string text128 = [] {
    std::string text;
    for (int i = 0; i < 128; ++i) text += static_cast<char>('!' + i % 90);
    return text;
  }();
  struct Case {
    std::string a, b;
  };
  const Case cases[] = {
      {"abc", "abcabc"},
      {"password", "passwordpassword"},
      {text128, text128 + "anything after the 128th character"},
      {"x", std::string(128, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.b);
    TKeyState a = Keyed(c.a);
    TKeyState b = Keyed(c.b);
    EXPECT_EQ(a, b);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(a.EncipherByte(0), b.EncipherByte(0));
  }
  EXPECT_NE(Keyed("abc"), Keyed("abcab"));  // repeats differently from position 5 on
}

TEST(CipherTest, RoundTripEndsInTheSameState) {
  for (size_t length : {size_t{1}, size_t{2}, size_t{127}, size_t{128}, size_t{1000}}) {
    SCOPED_TRACE(length);
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
    std::vector<uint8_t> sealed = data;
    TKeyState encipherer = Keyed("round trip key");
    encipherer.EncipherBlock(sealed.data(), sealed.size());
    EXPECT_NE(sealed, data);
    TKeyState decipherer = Keyed("round trip key");
    decipherer.DecipherBlock(sealed.data(), sealed.size());
    EXPECT_EQ(sealed, data);
    EXPECT_EQ(encipherer, decipherer);
  }
}

TEST(CipherTest, KeystreamDoesNotDependOnTheData) {
  std::vector<uint8_t> zeros(300, 0), ones(300, 0xFF);
  TKeyState a = Keyed("same key");
  TKeyState b = Keyed("same key");
  a.EncipherBlock(zeros.data(), zeros.size());
  b.DecipherBlock(ones.data(), ones.size());
  EXPECT_EQ(a, b);
}

TEST(CipherTest, AnyChangedKeyCharacterChangesTheFinalState) {
  const std::string key = "Twenty character key";
  std::vector<uint8_t> data = Bytes("some data to encipher");
  TKeyState original = Keyed(key);
  original.EncipherBlock(data.data(), data.size());
  for (size_t i = 0; i < key.size(); ++i) {
    std::string changed = key;
    changed[i] = static_cast<char>(changed[i] + 1);
    std::vector<uint8_t> copy = Bytes("some data to encipher");
    TKeyState other = Keyed(changed);
    other.EncipherBlock(copy.data(), copy.size());
    EXPECT_NE(std::vector<uint8_t>(std::begin(other.State), std::end(other.State)),
              std::vector<uint8_t>(std::begin(original.State), std::end(original.State)))
        << "position " << i;
  }
}

TEST(CipherTest, NoBytesLeaveTheStateOfSetKey) {
  TKeyState key = Keyed("untouched");
  uint8_t unused = 0;
  key.EncipherBlock(&unused, 0);
  key.DecipherBlock(&unused, 0);
  EXPECT_EQ(key, Keyed("untouched"));
}

// The premix in slices, as a caller that yields between them does it, is
// the premix of SetKey.
TEST(CipherTest, ThePremixInSlicesIsThatOfSetKey) {
  for (const size_t slice : {size_t{1}, size_t{5}, size_t{127}, KeyStateSize, KeyStateSize + 1}) {
    TKeyState key;
    key.FillKey("sliced premix");
    for (size_t at = 0; at < KeyStateSize; at += slice) key.PremixKeyState(at, at + slice);
    EXPECT_EQ(key, Keyed("sliced premix")) << "slices of " << slice;
  }
}

TEST(CipherTest, AddsAndSubtractsWithoutCarry) {
  // "wrap192" is a key whose first keystream byte is 0x01.
  TKeyState probe = Keyed("wrap192");
  ASSERT_EQ(probe.EncipherByte(0x00), 0x01);
  TKeyState encipherer = Keyed("wrap192");
  EXPECT_EQ(encipherer.EncipherByte(0xFF), 0x00);
  TKeyState decipherer = Keyed("wrap192");
  EXPECT_EQ(decipherer.DecipherByte(0x00), 0xFF);
}

// --- Known answers, worked out with the literal form ------------------------

struct KnownAnswer {
  std::string_view Key;
  std::vector<uint8_t> Plain;
  uint8_t KeyedAccumulator, KeyedIndex;
  std::vector<uint8_t> Cipher;
  uint8_t FinalAccumulator, FinalIndex;
  std::vector<uint8_t> FinalState;  // the key-check block
};

const KnownAnswer KnownAnswers[] = {
    {"password",
     Bytes("Hello, world!"),
     83,
     1,
     {0x33, 0xDE, 0x18, 0xA4, 0xB1, 0xDA, 0x01, 0xEC, 0x6B, 0x41, 0xD5, 0x2C, 0x7B},
     202,
     38,
     {0x1D, 0xC4, 0xFC, 0x82, 0xF3, 0x68, 0x7C, 0xC9, 0x14, 0x18, 0xBE, 0x07, 0x2F, 0xED, 0x02,
      0xF4, 0x6B, 0x6F, 0xFC, 0x88, 0x0A, 0x01, 0x64, 0x2E, 0x74, 0xA2, 0x52, 0x3F, 0xFC, 0xE2,
      0xCE, 0xD1, 0x11, 0xFF, 0x8C, 0xEC, 0x1C, 0x4E, 0x5A, 0xBD, 0xAC, 0x9F, 0xAE, 0x4F, 0x77,
      0x3F, 0xA8, 0x37, 0x57, 0xF7, 0x6A, 0x17, 0xF9, 0x72, 0xDA, 0xAF, 0x9E, 0x52, 0xDA, 0xFA,
      0x9B, 0x6D, 0xA0, 0xDC, 0xD7, 0x56, 0x09, 0xDF, 0xFB, 0x53, 0x80, 0x50, 0xA0, 0xC0, 0xBC,
      0x28, 0xDE, 0x30, 0xBC, 0x47, 0x5A, 0x0B, 0xDF, 0xB2, 0x15, 0x7D, 0x3A, 0x57, 0x31, 0x3A,
      0xB8, 0xE4, 0x05, 0xF0, 0x46, 0x47, 0xD4, 0x47, 0x14, 0x24, 0x74, 0x27, 0x3C, 0x8B, 0xD3,
      0x5B, 0x3E, 0xF2, 0x47, 0x2C, 0x48, 0x52, 0x7D, 0xBA, 0x22, 0xE6, 0xBB, 0x03, 0xFC, 0x8F,
      0x47, 0x5E, 0x57, 0xBC, 0x17, 0x67, 0x36, 0xCA}},
    {"txt",
     std::vector<uint8_t>(16, 0x00),
     72,
     15,
     {0x68, 0x1E, 0x06, 0x11, 0x9C, 0x02, 0xA2, 0xC0, 0x32, 0x24, 0xEC, 0x11, 0xBC, 0x1A, 0xC4,
      0xF7},
     10,
     2,
     {0x4D, 0x0D, 0xF7, 0xB2, 0xE0, 0x58, 0x9A, 0x95, 0x02, 0x52, 0x57, 0xB5, 0x4B, 0xA6, 0x05,
      0x7F, 0xC5, 0x43, 0x7C, 0x09, 0x57, 0x74, 0x5D, 0xF4, 0xD6, 0xB1, 0x13, 0x4D, 0x55, 0x72,
      0x3C, 0x4C, 0x78, 0x6A, 0x29, 0x1C, 0x68, 0x63, 0xB5, 0xEA, 0xD6, 0x81, 0x90, 0x8C, 0x69,
      0x80, 0x3D, 0xAC, 0x57, 0x4A, 0x3A, 0xF5, 0xE9, 0x86, 0x23, 0x9C, 0x76, 0x45, 0xE4, 0xF3,
      0x0A, 0x60, 0x6A, 0x65, 0xB1, 0xE9, 0x8E, 0x69, 0x42, 0x35, 0xF4, 0xCD, 0xC1, 0xE5, 0x33,
      0x0D, 0xE7, 0xA9, 0x00, 0xD4, 0xD5, 0x0F, 0xB2, 0x64, 0x4B, 0xFF, 0xC2, 0xC4, 0xDB, 0x4B,
      0x12, 0x1B, 0x07, 0xB3, 0x69, 0xBC, 0x17, 0x23, 0xF6, 0x87, 0xDC, 0xDA, 0x8D, 0xAC, 0x11,
      0x1E, 0xB4, 0xFB, 0x45, 0xE5, 0xDF, 0xE5, 0xFB, 0x2D, 0x5A, 0xCC, 0x12, 0x05, 0x45, 0x4E,
      0xF3, 0x8C, 0x7B, 0x81, 0xA1, 0x4A, 0x99, 0x0A}},
};

TEST(CipherTest, KnownAnswers) {
  for (const KnownAnswer& answer : KnownAnswers) {
    SCOPED_TRACE(answer.Key);
    for (bool literal : {false, true}) {
      TKeyState key;
      literal ? reference::SetKey(key, answer.Key) : key.SetKey(answer.Key);
      EXPECT_EQ(key.Accumulator, answer.KeyedAccumulator);
      EXPECT_EQ(key.Index, answer.KeyedIndex);
      std::vector<uint8_t> data = answer.Plain;
      literal ? reference::EncipherBlock(key, data.data(), data.size())
              : key.EncipherBlock(data.data(), data.size());
      EXPECT_EQ(data, answer.Cipher);
      EXPECT_EQ(key.Accumulator, answer.FinalAccumulator);
      EXPECT_EQ(key.Index, answer.FinalIndex);
      EXPECT_EQ(std::vector<uint8_t>(std::begin(key.State), std::end(key.State)),
                answer.FinalState);
    }
  }
}

// --- The production form against the literal one ------------------------------

class CipherEquivalenceTest : public ::testing::Test {
 protected:
  std::mt19937 random_{20031209};

  uint8_t RandomByte() { return static_cast<uint8_t>(random_()); }
  std::string RandomKey(size_t length) {
    std::string key(length, '\0');
    for (char& c : key) c = static_cast<char>(RandomByte());
    return key;
  }
};

TEST_F(CipherEquivalenceTest, StirringMatchesFromAnyState) {
  // Arbitrary states, accumulators and indices, reachable or not.
  for (int round = 0; round < 2000; ++round) {
    TKeyState fast;
    for (uint8_t& b : fast.State) b = RandomByte();
    fast.Accumulator = RandomByte();
    fast.Index = static_cast<uint8_t>(RandomByte() % KeyStateSize);
    TKeyState literal = fast;
    fast.StirKeyState();
    reference::StirKeyState(literal);
    ASSERT_EQ(fast, literal) << "round " << round;
  }
}

TEST_F(CipherEquivalenceTest, KeysAndByteRunsMatch) {
  for (size_t length = 1; length <= 200; ++length) {
    const std::string text = RandomKey(length);
    TKeyState fast, literal;
    fast.SetKey(text);
    reference::SetKey(literal, text);
    ASSERT_EQ(fast, literal) << "key length " << length;
    for (int i = 0; i < 20; ++i) {
      const uint8_t value = RandomByte();
      const bool encipher = (random_() & 1) != 0;
      const uint8_t a = encipher ? fast.EncipherByte(value) : fast.DecipherByte(value);
      const uint8_t b = encipher ? reference::EncipherByte(literal, value)
                                 : reference::DecipherByte(literal, value);
      ASSERT_EQ(a, b) << "key length " << length << ", byte " << i;
      ASSERT_EQ(fast, literal) << "key length " << length << ", byte " << i;
      ASSERT_LT(fast.Index, KeyStateSize);
    }
  }
}

TEST_F(CipherEquivalenceTest, BlocksMatch) {
  for (int round = 0; round < 40; ++round) {
    const std::string text = RandomKey(1 + random_() % 200);
    std::vector<uint8_t> data(random_() % 600);
    for (uint8_t& b : data) b = RandomByte();
    TKeyState fast = Keyed(text);
    TKeyState literal;
    reference::SetKey(literal, text);
    std::vector<uint8_t> fastData = data, literalData = data;
    fast.EncipherBlock(fastData.data(), fastData.size());
    reference::EncipherBlock(literal, literalData.data(), literalData.size());
    ASSERT_EQ(fastData, literalData);
    ASSERT_EQ(fast, literal);
    fast.DecipherBlock(fastData.data(), fastData.size());
    reference::DecipherBlock(literal, literalData.data(), literalData.size());
    ASSERT_EQ(fastData, literalData);
    ASSERT_EQ(fast, literal);
  }
}

}  // namespace
}  // namespace vek
