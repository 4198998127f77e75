#pragma once
// JPEG pictures, decoded with libjpeg. On displays of 256 colours or fewer
// (or when the seam below forces it) libjpeg's colour quantisation reduces
// the picture to a palette.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct TPictureData {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0xAARRGGBB, row by row
  int PaletteSize = 0;           // colours used after quantisation; 0 when not quantised
};

// Decodes JPEG bytes; nothing when they are no readable JPEG.
std::optional<TPictureData> DecodeJpeg(const std::vector<uint8_t>& bytes, bool quantize);
// Bytes of a picture compiled into the program (":/pictures/<name>").
std::optional<std::vector<uint8_t>> PictureResource(std::string_view name);
// Whether pictures are quantised: the display has 256 colours or fewer, or the seam forces it.
bool QuantizePictures();
// An image file's bytes (a PNG, or an icon file holding PNG images: its
// largest) as a PNG of size x size pixels: the picture scaled smoothly to fit,
// centred on a transparent square. Nothing when the bytes hold no such picture.
std::optional<std::vector<uint8_t>> ScaledPng(const std::vector<uint8_t>& image, int size);

namespace seam {
// On: pictures are quantised whatever the display (set from outside the
// program, for tests of the palette path).
inline bool QuantizeAlways = false;
}  // namespace seam

}  // namespace ui
