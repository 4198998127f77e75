// Build tool: makes the program's icon file from one of the installer's
// pictures. The icon file holds a single PNG image of the picture's size,
// its near-white background made transparent.
//
//   vek_make_icon <picture.jpg> <icon.ico>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "ui/picture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Channels at or above this count as the picture's white background.
constexpr int kBackgroundFrom = 0xF0;

void PutBig32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
void PutLittle16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutLittle32(Bytes& out, uint32_t value) {
  PutLittle16(out, value & 0xFFFF);
  PutLittle16(out, value >> 16);
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const Bytes& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutChunk(Bytes& png, std::string_view type, const Bytes& data) {
  PutBig32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  PutBig32(png, Crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored (uncompressed) blocks: small enough for an icon.
Bytes ZlibStored(const Bytes& raw) {
  Bytes out = {0x78, 0x01};
  size_t done = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - done, 0xFFFF);
    const bool last = done + length == raw.size();
    out.push_back(last ? 1 : 0);
    PutLittle16(out, static_cast<uint32_t>(length));
    PutLittle16(out, static_cast<uint32_t>(~length & 0xFFFF));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(done),
               raw.begin() + static_cast<std::ptrdiff_t>(done + length));
    done += length;
  } while (done < raw.size());
  PutBig32(out, Adler32(raw));
  return out;
}

// Rows of RGBA pixels, each row led by filter type 0.
Bytes RgbaRows(const ui::TPictureData& picture) {
  Bytes raw;
  for (int y = 0; y < picture.Height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < picture.Width; ++x) {
      const uint32_t argb = picture.Pixels[static_cast<size_t>(y * picture.Width + x)];
      const auto r = static_cast<uint8_t>(argb >> 16);
      const auto g = static_cast<uint8_t>(argb >> 8);
      const auto b = static_cast<uint8_t>(argb);
      const bool background = r >= kBackgroundFrom && g >= kBackgroundFrom && b >= kBackgroundFrom;
      raw.insert(raw.end(), {r, g, b, static_cast<uint8_t>(background ? 0 : 0xFF)});
    }
  }
  return raw;
}

Bytes Png(const ui::TPictureData& picture) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, static_cast<uint32_t>(picture.Width));
  PutBig32(header, static_cast<uint32_t>(picture.Height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStored(RgbaRows(picture)));
  PutChunk(png, "IEND", {});
  return png;
}

// Icon directory with its one entry, then the PNG image.
Bytes IconFile(const ui::TPictureData& picture, const Bytes& png) {
  constexpr uint32_t kHeaderSize = 6 + 16;
  Bytes ico;
  PutLittle16(ico, 0);                                 // reserved
  PutLittle16(ico, 1);                                 // an icon
  PutLittle16(ico, 1);                                 // one image
  ico.push_back(static_cast<uint8_t>(picture.Width));  // 256 would be 0
  ico.push_back(static_cast<uint8_t>(picture.Height));
  ico.push_back(0);      // no palette
  ico.push_back(0);      // reserved
  PutLittle16(ico, 1);   // colour planes
  PutLittle16(ico, 32);  // bits per pixel
  PutLittle32(ico, static_cast<uint32_t>(png.size()));
  PutLittle32(ico, kHeaderSize);
  ico.insert(ico.end(), png.begin(), png.end());
  return ico;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vek_make_icon: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: vek_make_icon <picture.jpg> <icon.ico>");
  std::ifstream in(argv[1], std::ios::binary);
  const Bytes jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto picture = ui::DecodeJpeg(jpeg, false);
  if (!picture) return Fail(std::string("no readable JPEG picture: ") + argv[1]);
  if (picture->Width < 1 || picture->Width > 255 || picture->Height < 1 || picture->Height > 255)
    return Fail("an icon picture must be 1 to 255 pixels a side");
  const Bytes ico = IconFile(*picture, Png(*picture));
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  out.close();
  if (!out) return Fail(std::string("cannot write ") + argv[2]);
  std::printf("%s: %zu bytes (%dx%d PNG)\n", argv[2], ico.size(), picture->Width, picture->Height);
  return 0;
}
