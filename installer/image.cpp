#include "installer/image.h"

namespace vek::installer {

bool AddByteSum(int32_t& sum, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int32_t next = 0;
    if (__builtin_add_overflow(sum, static_cast<int32_t>(bytes[i]), &next)) return false;
    sum = next;
  }
  return true;
}

int32_t TrailerValue(const TTrailer& trailer) {
  uint32_t value = 0;
  for (size_t i = TrailerSize; i-- > 0;) value = (value << 8) | trailer[i];
  return static_cast<int32_t>(value);
}

TTrailer TrailerOf(int32_t sum) {
  const auto value = static_cast<uint32_t>(sum);
  TTrailer trailer{};
  for (size_t i = 0; i < TrailerSize; ++i) trailer[i] = static_cast<uint8_t>(value >> (8 * i));
  return trailer;
}

}  // namespace vek::installer
