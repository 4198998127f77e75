#pragma once
// Which Qt platform the program asks for at start.

#include <string>

namespace ui::detail {

// The platform to set when the environment names none: X11 ("xcb") wherever
// a display offers it, since the windows place themselves. "" leaves the
// choice to Qt (a platform named in QT_QPA_PLATFORM, or no X display).
std::string PreferredQtPlatform(const char* qpaPlatform, const char* display);

}  // namespace ui::detail
