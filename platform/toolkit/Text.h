// 8-bit text to Qt's strings and back.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tk {

QString AnsiToQString(std::string_view text);
std::string QStringToAnsi(const QString& text);

} // namespace tk
