#pragma once
// Writes small JPEG pictures with libjpeg, for the picture tests and for the
// picture compiled into the test executable.

#include <cstdint>
#include <vector>

namespace vektest {

// A width x height picture whose red rises from left to right and whose
// green rises from top to bottom (blue fixed at 64), as JPEG bytes.
std::vector<uint8_t> GradientJpeg(int width, int height, int quality = 90);

}  // namespace vektest
