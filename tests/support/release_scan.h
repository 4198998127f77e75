#pragma once
// Reads what the program lets go of, just before it goes: the memory for
// secrets (its release through the host layer is replaced in every
// executable that links this) and every heap block (the global operator
// delete is replaced likewise). While a scan is watching, each such block is
// searched for the secrets it was given, so that a test sees whether a
// wipe really overwrote the memory, not only what the program reports.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vektest {

class TReleaseScan {
 public:
  // Starts watching for these byte runs (each 8 to 128 bytes long).
  explicit TReleaseScan(const std::vector<std::vector<uint8_t>>& secrets);
  ~TReleaseScan();  // stops watching
  TReleaseScan(const TReleaseScan&) = delete;
  TReleaseScan& operator=(const TReleaseScan&) = delete;

  // Memory for secrets released while watching, and how many of those
  // releases still held a secret.
  int MappedReleases() const;
  int MappedHits() const;
  // Heap blocks released while watching that still held a secret.
  int HeapHits() const;
};

// The byte run of a text.
std::vector<uint8_t> BytesOf(std::string_view text);
// The byte run of a UTF-8 text in UTF-16 (little-endian), as the window
// toolkit holds it.
std::vector<uint8_t> Utf16BytesOf(std::string_view utf8);
// Whether [at, at + size) holds any of the secrets.
bool HoldsAny(const void* at, size_t size, const std::vector<std::vector<uint8_t>>& secrets);

}  // namespace vektest
