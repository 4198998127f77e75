#pragma once
// Encrypted files as the format describes them, built byte by byte for the
// tests with the cipher written out literally, apart from the program's
// own header writer and cipher.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vektest {

struct TExpectedTimestamp {
  uint8_t Hour, Minute, Second, DayOfWeek, Day, Month;
  uint16_t Year;
};

struct THeaderFields {
  std::string ProductLine;
  // First name, last name, company, location, e-mail, information lines 1-3.
  std::vector<std::string> Owner = std::vector<std::string>(8);
  std::optional<TExpectedTimestamp> Timestamp;
  std::optional<uint32_t> Attributes;
  // Version text, registered owner, organisation, computer name, product id.
  std::optional<std::vector<std::string>> Windows;
  uint64_t Size = 0;
};

std::vector<uint8_t> ExpectedHeader(const THeaderFields& fields);
// Header, the content enciphered under `key`, then the 128 key-check bytes.
std::vector<uint8_t> ExpectedVekFile(const THeaderFields& fields,
                                     const std::vector<uint8_t>& content, std::string_view key);

}  // namespace vektest
