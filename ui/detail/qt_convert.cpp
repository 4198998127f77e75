#include "ui/detail/qt_convert.h"

#include <QTextDocument>

#include "platform/secret_string.h"
#include "ui/text.h"

namespace ui::detail {

QString ToQString(std::string_view programText) {
  // Texts of boxes may be key texts: no copy is left behind in freed memory.
  std::string utf8 = DisplayText(programText);
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  platform::WipeString(utf8);
  return text;
}

std::string FromQString(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  std::string bytes(utf8.constData(), static_cast<size_t>(utf8.size()));
  utf8.fill('\0');
  return bytes;
}

QString HintMarkup(std::string_view hint) {
  QString text = ToQString(hint);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

QColor ToQColor(TColor color) {
  return QColor(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>(color & 0xFF));
}

}  // namespace ui::detail
