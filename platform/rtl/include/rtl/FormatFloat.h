// Pattern-based number text: "#,##0.###", "##0.## %", "0.00E+00", "pos;neg;zero".
#pragma once
#include "rtl/FormatSettings.h"

#include <string>
#include <string_view>

namespace rtl {

// Formats value by a pattern of up to three sections separated by ';' (positive, negative,
// zero; an empty or missing section falls back to the first, and a negative value shown by its
// own section carries no minus sign). In a section: '0' is a digit that is always written, '#'
// a digit written only when significant, the first '.' the decimal separator, ',' before it
// turns on thousands grouping, "E+"/"E-" (or "e") followed by '0's an exponent, text between
// single or double quotes and any other character literal text. The value is taken to 15
// significant digits and rounded half away from zero to the pattern's decimal places. An
// empty pattern gives FloatToStr. NaN gives "NAN", infinities "INF" and "-INF".
std::string FormatFloat(std::string_view pattern, double value,
                        const TFormatSettings& fs = DefaultFormatSettings());

} // namespace rtl
