// Numbers as text and back.
#pragma once

#include "rtl/FormatSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

std::string IntToStr(int64_t value);
std::string UIntToStr(uint64_t value);

// A decimal 32-bit integer: an optional sign and digits, nothing else (no blanks, no hex).
// Anything else, or a value outside the int32 range, raises EConvertError.
int32_t StrToInt(std::string_view text);

// Shortest text of at most 15 significant digits: fixed notation from 0.0001 up to 15 integer
// digits, otherwise "1.5E-7" / "1E20". NaN reads "NAN", infinities "INF" and "-INF".
std::string FloatToStr(double value, const TFormatSettings& fs = DefaultFormatSettings());

// Decimal text with the settings' separator, optional sign and exponent, blanks around allowed.
// Raises EConvertError for anything else, including "NAN" and "INF".
double StrToFloat(std::string_view text, const TFormatSettings& fs = DefaultFormatSettings());
bool TryStrToFloat(std::string_view text, double& value,
                   const TFormatSettings& fs = DefaultFormatSettings());

} // namespace rtl
