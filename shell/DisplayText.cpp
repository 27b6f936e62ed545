#include "DisplayText.h"

#include <QList>

#include "platform/Exception.h"
#include "platform/Text.h"

namespace shell {

using namespace platform::literals;

QString ToDisplay(std::string_view cp1251) {
  QString text = QString::fromStdString(platform::ToUtf8(cp1251));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string FromField(const QString& text, const std::string& fieldName) {
  std::string result;
  for (const uint code : text.toUcs4()) {
    const char32_t codePoint = code;
    const auto bytes = platform::TryFromUtf8(QString::fromUcs4(&codePoint, 1).toStdString());
    if (!bytes) {
      const std::string code = QStringLiteral("U+%1")
                                   .arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0'))
                                   .toUpper()
                                   .toStdString();
      throw platform::Exception("В поле \""_cp + fieldName + "\" есть символ "_cp + code +
                                ", которого нет в кодировке Windows-1251. Исправьте текст "
                                "поля и повторите действие."_cp);
    }
    result += *bytes;
  }
  return result;
}

}  // namespace shell
