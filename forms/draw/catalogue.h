#pragma once
// The list of every picture the two programs show: file, size, what it shows,
// where it is used, and the routine that draws it.

#include <QPainter>
#include <QSizeF>

#include <functional>
#include <string>
#include <vector>

namespace vek::draw {

struct TPictureRecipe {
  std::string Folder;  // "main" for the main program, "installer" for the installer
  std::string Name;    // file name, lower case, ".jpg"
  int Width = 0;
  int Height = 0;
  std::string Shows;
  std::string UsedBy;
  std::function<void(QPainter&, const QSizeF&)> Draw;
};

std::vector<TPictureRecipe> PictureCatalogue();

}  // namespace vek::draw
