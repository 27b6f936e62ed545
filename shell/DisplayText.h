// Texts crossing between the system (CP1251, lines joined by CR) and the
// widgets (QString).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace shell {

// A system text for display: CP1251 decoded; CR LF and a lone CR become line
// breaks.
QString ToDisplay(std::string_view cp1251);

// What the operator typed into a field, as the engine takes it (CP1251).
// Throws platform::Exception naming the field and the character when the
// text holds a character that CP1251 lacks: such a text is refused, never
// silently changed.
std::string FromField(const QString& text, const std::string& fieldName);

}  // namespace shell
