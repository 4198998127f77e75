// Draws every picture the two programs show and stores them as JPEG files.
//
//   vek_draw_pictures <folder>   writes <folder>/main/*.jpg (main program)
//                                and <folder>/installer/*.jpg (installer)
//   vek_draw_pictures --table    prints the list of pictures as a Markdown table
//
// Runs without a display: the offscreen platform is used unless another one
// is asked for.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "forms/draw/catalogue.h"
#include "forms/draw/jpeg_file.h"
#include "forms/draw/palette.h"

namespace {

using vek::draw::TPictureRecipe;

constexpr int kJpegQuality = 90;

QImage Render(const TPictureRecipe& picture) {
  QImage image(picture.Width, picture.Height, QImage::Format_RGB32);
  image.fill(vek::draw::kWhite);
  QPainter painter(&image);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
  picture.Draw(painter, QSizeF(picture.Width, picture.Height));
  painter.end();
  return image;
}

// One table per program folder, in catalogue order.
void PrintTable() {
  std::string folder;
  for (const TPictureRecipe& picture : vek::draw::PictureCatalogue()) {
    if (picture.Folder != folder) {
      folder = picture.Folder;
      std::printf("\n### %s/\n\n| File | Size | Shows | Used by |\n|---|---|---|---|\n",
                  folder.c_str());
    }
    std::printf("| %s | %d × %d | %s | %s |\n", picture.Name.c_str(), picture.Width, picture.Height,
                picture.Shows.c_str(), picture.UsedBy.c_str());
  }
}

int WriteAll(const std::filesystem::path& root) {
  std::uintmax_t total = 0;
  int written = 0;
  for (const TPictureRecipe& picture : vek::draw::PictureCatalogue()) {
    const std::filesystem::path folder = root / picture.Folder;
    const std::filesystem::path file = folder / picture.Name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !vek::draw::WriteJpegFile(Render(picture), file, kJpegQuality)) {
      std::fprintf(stderr, "vek_draw_pictures: cannot write %s\n", file.string().c_str());
      return 1;
    }
    const std::uintmax_t bytes = std::filesystem::file_size(file, error);
    total += error ? 0 : bytes;
    ++written;
    std::printf("%-36s %4d x %-4d %7ju bytes\n", (picture.Folder + "/" + picture.Name).c_str(),
                picture.Width, picture.Height, bytes);
  }
  std::printf("%d pictures, %ju bytes in all\n", written, total);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vek_draw_pictures <output-folder> | --table\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);

  const std::string argument = argv[1];
  if (argument == "--table") {
    PrintTable();
    return 0;
  }
  return WriteAll(argument);
}
