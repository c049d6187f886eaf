// 8-bit text: every string the window shows or writes is Windows-1252 text held in a
// std::string. Wide (UTF-16) text from the host is converted at the boundary.
#pragma once

#include <string>
#include <string_view>

namespace rtl {

// Characters that have no 8-bit form become '?'; unpaired surrogates too.
std::string WideToAnsi(std::u16string_view wide);
// Every byte has a wide form (the five undefined bytes map to their C1 control code).
std::u16string AnsiToWide(std::string_view ansi);

} // namespace rtl
