// Build step of the ui tests: writes the picture that the test executable
// carries as ":/pictures/sample.jpg".
#include <cstdio>

#include "jpeg_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.jpg>\n", argv[0]);
    return 2;
  }
  const auto bytes = vektest::GradientJpeg(24, 16);
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 1;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written ? 0 : 1;
}
