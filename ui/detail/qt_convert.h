#pragma once
// Conversions between the library's types and Qt's.

#include <QColor>
#include <QString>

#include <string>
#include <string_view>

#include "ui/types.h"

namespace ui::detail {

// A program text (UTF-8 or Windows-1252 bytes) for display.
QString ToQString(std::string_view programText);
// What Qt holds (typed text, a widget's text) as a UTF-8 program text.
std::string FromQString(const QString& text);
// A hint as tooltip markup: its CR, CR LF and LF breaks become line breaks.
QString HintMarkup(std::string_view hint);
QColor ToQColor(TColor color);

}  // namespace ui::detail
