#pragma once
// Pictures compiled into the program, decoded once (quantised or not, as
// the display asks) and shared by every control that shows them.

#include <QImage>

#include <optional>
#include <string_view>

namespace ui::detail {

std::optional<QImage> PictureImage(std::string_view name);

}  // namespace ui::detail
