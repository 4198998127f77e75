#include "ui/picture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <map>
#include <utility>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "ui/application.h"
#include "ui/detail/picture_cache.h"

namespace ui {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return; it jumps back to the decoder, which then fails cleanly.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// One decoded scan line into `out`, from true colour, CMYK (stored inverted,
// as Adobe writes it) or palette indices.
void StoreRow(const jpeg_decompress_struct& cinfo, const JSAMPLE* row, uint32_t* out) {
  const auto width = static_cast<size_t>(cinfo.output_width);
  if (cinfo.quantize_colors) {
    const JSAMPARRAY map = cinfo.colormap;
    for (size_t x = 0; x < width; ++x) {
      const unsigned index = row[x];
      out[x] = cinfo.out_color_components == 1 ? Rgb(map[0][index], map[0][index], map[0][index])
                                               : Rgb(map[0][index], map[1][index], map[2][index]);
    }
  } else if (cinfo.out_color_space == JCS_CMYK) {
    for (size_t x = 0; x < width; ++x) {
      const JSAMPLE* p = row + x * 4;
      const int k = p[3];
      out[x] = Rgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
    }
  } else {
    for (size_t x = 0; x < width; ++x) {
      const JSAMPLE* p = row + x * 3;
      out[x] = Rgb(p[0], p[1], p[2]);
    }
  }
}

// The libjpeg sequence. Only C objects live in this frame, so the jump back
// from error_exit skips no destructor; `out` belongs to the caller.
bool DecodeInto(const std::vector<uint8_t>& bytes, bool quantize, TPictureData& out) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOnError;
  errors.pub.output_message = IgnoreMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof(cinfo));
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (quantize) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 256;
  }
  jpeg_start_decompress(&cinfo);
  out.Width = static_cast<int>(cinfo.output_width);
  out.Height = static_cast<int>(cinfo.output_height);
  out.Pixels.resize(static_cast<size_t>(cinfo.output_width) * cinfo.output_height);
  const auto rowStride = static_cast<JDIMENSION>(cinfo.output_width) *
                         static_cast<JDIMENSION>(cinfo.output_components);
  JSAMPARRAY row =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, rowStride, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    const size_t y = cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, row, 1);
    StoreRow(cinfo, row[0], out.Pixels.data() + y * cinfo.output_width);
  }
  out.PaletteSize = quantize ? cinfo.actual_number_of_colors : 0;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

std::optional<std::vector<uint8_t>> ReadResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray data = file.readAll();
  return std::vector<uint8_t>(data.begin(), data.end());
}

}  // namespace

std::optional<TPictureData> DecodeJpeg(const std::vector<uint8_t>& bytes, bool quantize) {
  if (bytes.empty()) return std::nullopt;
  TPictureData picture;
  if (!DecodeInto(bytes, quantize, picture)) return std::nullopt;
  return picture;
}

std::optional<std::vector<uint8_t>> PictureResource(std::string_view name) {
  const QString path = QStringLiteral(":/pictures/") +
                       QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (auto bytes = ReadResource(path)) return bytes;
  // "logo" stands for "logo.jpg".
  if (name.find('.') == std::string_view::npos) return ReadResource(path + QStringLiteral(".jpg"));
  return std::nullopt;
}

namespace {

uint32_t Little32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// The largest image an icon file holds, read from its directory; the
// bytes themselves when they are no icon file.
QImage LoadImageOrIcon(const std::vector<uint8_t>& bytes) {
  constexpr size_t kHeader = 6;
  constexpr size_t kEntry = 16;
  const bool icon =
      bytes.size() >= kHeader && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0;
  if (!icon) return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
  const size_t count = bytes[4] | size_t{bytes[5]} << 8;
  QImage best;
  for (size_t i = 0; i < count && kHeader + (i + 1) * kEntry <= bytes.size(); ++i) {
    const size_t entry = kHeader + i * kEntry;
    const uint32_t size = Little32(bytes, entry + 8);
    const uint32_t offset = Little32(bytes, entry + 12);
    if (offset > bytes.size() || size > bytes.size() - offset) continue;
    QImage image = QImage::fromData(bytes.data() + offset, static_cast<int>(size));
    if (!image.isNull() && image.width() * image.height() > best.width() * best.height())
      best = std::move(image);
  }
  return best;
}

}  // namespace

std::optional<std::vector<uint8_t>> ScaledPng(const std::vector<uint8_t>& image, int size) {
  const QImage picture = LoadImageOrIcon(image);
  if (picture.isNull() || size < 1) return std::nullopt;
  const QImage scaled = picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QImage square(size, size, QImage::Format_ARGB32);
  square.fill(Qt::transparent);
  {
    QPainter painter(&square);
    painter.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!square.save(&buffer, "PNG")) return std::nullopt;
  return std::vector<uint8_t>(png.begin(), png.end());
}

bool QuantizePictures() {
  if (seam::QuantizeAlways) return true;
  const int depth = Screen != nullptr ? Screen->ColorDepth() : 0;
  return depth > 0 && depth <= 8;
}

namespace detail {

std::optional<QImage> PictureImage(std::string_view name) {
  static std::map<std::pair<std::string, bool>, QImage> cache;
  const bool quantize = QuantizePictures();
  auto key = std::make_pair(std::string(name), quantize);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  const auto bytes = PictureResource(name);
  if (!bytes) return std::nullopt;
  const auto picture = DecodeJpeg(*bytes, quantize);
  if (!picture) return std::nullopt;
  QImage image(picture->Width, picture->Height, QImage::Format_RGB32);
  for (int y = 0; y < picture->Height; ++y) {
    const uint32_t* source =
        picture->Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture->Width);
    std::copy(source, source + picture->Width, reinterpret_cast<uint32_t*>(image.scanLine(y)));
  }
  cache.emplace(std::move(key), image);
  return image;
}

}  // namespace detail
}  // namespace ui
