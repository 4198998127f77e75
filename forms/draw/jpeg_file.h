#pragma once
// Writes a drawn picture as a baseline JPEG file through libjpeg.

#include <filesystem>

class QImage;

namespace vek::draw {

// Encodes the picture at the given quality (1..100). Small pictures keep full
// colour resolution so that thin coloured edges of icons stay clean. The file
// is written under a temporary name and renamed, so a failed write never
// leaves a half-written picture under the real name. False when the file
// cannot be written.
bool WriteJpegFile(const QImage& picture, const std::filesystem::path& path, int quality);

}  // namespace vek::draw
