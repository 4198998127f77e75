#include "expected_file.h"

#include "core/cipher.h"
#include "core/cipher_reference.h"

namespace vektest {

namespace {

void Push(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void PushBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

void PushShortText(std::vector<uint8_t>& out, uint8_t tag, const std::string& text) {
  out.push_back(tag);
  out.push_back(static_cast<uint8_t>(text.size()));
  Push(out, text);
}

}  // namespace

std::vector<uint8_t> ExpectedHeader(const THeaderFields& f) {
  std::vector<uint8_t> h;
  Push(h, "VEK 1024 Bit Encrypted File (c)2003 Quarne T. Velso\r\n");
  Push(h, f.ProductLine);
  Push(h, "\r\n");
  for (const int b : {0x14, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00})
    h.push_back(static_cast<uint8_t>(b));
  for (uint8_t k = 0; k < 8; ++k) PushShortText(h, static_cast<uint8_t>(0x10 + k), f.Owner[k]);
  if (f.Timestamp) {
    const TExpectedTimestamp& t = *f.Timestamp;
    for (const uint8_t b :
         {uint8_t{0x20}, t.Hour, t.Minute, t.Second, t.DayOfWeek, t.Day, t.Month}) {
      h.push_back(b);
    }
    PushBigEndian(h, t.Year, 2);
  }
  if (f.Attributes) {
    h.push_back(0x30);
    PushBigEndian(h, *f.Attributes, 4);
  }
  if (f.Windows) {
    for (uint8_t k = 0; k < 5; ++k)
      PushShortText(h, static_cast<uint8_t>(0x40 + k), (*f.Windows)[k]);
  }
  h.push_back(0x80);
  PushBigEndian(h, f.Size, 8);
  return h;
}

std::vector<uint8_t> ExpectedVekFile(const THeaderFields& fields,
                                     const std::vector<uint8_t>& content, std::string_view key) {
  std::vector<uint8_t> file = ExpectedHeader(fields);
  std::vector<uint8_t> data = content;
  vek::TKeyState state;
  vek::reference::SetKey(state, key);
  vek::reference::EncipherBlock(state, data.data(), data.size());
  file.insert(file.end(), data.begin(), data.end());
  file.insert(file.end(), std::begin(state.State), std::end(state.State));
  return file;
}

}  // namespace vektest
