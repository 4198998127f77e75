#include "forms/draw/jpeg_file.h"

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <system_error>

#include <jpeglib.h>

namespace vek::draw {
namespace {

// Pictures no larger than this on both sides are encoded without chroma
// subsampling: icons of 16 to 64 pixels would otherwise bleed colour.
constexpr int kFullChromaLimit = 64;

struct TFreeDeleter {
  void operator()(unsigned char* bytes) const { std::free(bytes); }
};
using TEncodedBytes = std::unique_ptr<unsigned char, TFreeDeleter>;

// The in-memory encoding. libjpeg's standard error manager ends the process
// on an internal failure, which for well-formed pixel rows only means memory
// ran out; that is an acceptable end for a drawing tool.
TEncodedBytes Encode(QImage rgb, int quality, unsigned long& size) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);

  unsigned char* buffer = nullptr;
  size = 0;
  jpeg_mem_dest(&info, &buffer, &size);

  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (rgb.width() <= kFullChromaLimit && rgb.height() <= kFullChromaLimit) {
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
  }
  info.optimize_coding = TRUE;

  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = rgb.scanLine(static_cast<int>(info.next_scanline));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return TEncodedBytes(buffer);
}

bool WriteWholeFile(const std::filesystem::path& path, const unsigned char* bytes,
                    unsigned long size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

bool WriteJpegFile(const QImage& picture, const std::filesystem::path& path, int quality) {
  unsigned long size = 0;
  const TEncodedBytes bytes = Encode(picture.convertToFormat(QImage::Format_RGB888), quality, size);
  if (!bytes || size == 0) return false;

  std::filesystem::path temporary = path;
  temporary += ".part";
  std::error_code error;
  if (!WriteWholeFile(temporary, bytes.get(), size)) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  std::filesystem::rename(temporary, path, error);
  if (!error) return true;
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return false;
}

}  // namespace vek::draw
