#pragma once
// JPEG pictures, decoded with libjpeg. On displays of 256 colours or fewer
// (or when a test forces it) libjpeg's colour quantisation reduces the
// picture to a palette.

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
// Whether pictures are quantised: the display has 256 colours or fewer, or a test forced it.
bool QuantizePictures();
void ForceQuantizeForTest(bool on);

}  // namespace ui
