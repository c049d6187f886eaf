// Field and number text of the CSV layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace replay {

constexpr size_t MaxFields = 32;

// Splits a line at commas outside double quotes into at most MaxFields fields; returns the
// count, or MaxFields + 1 when there are more.
size_t SplitFields(std::string_view line, std::string_view* fields);

bool ParseDouble(std::string_view text, double& value);
bool ParseInt64(std::string_view text, int64_t& value);
bool ParseInt32(std::string_view text, int32_t& value);
bool ParseUInt32(std::string_view text, uint32_t& value);

// Text of a recorded string: as it is, or in double quotes when it holds a comma, a quote, a
// backslash or a control character; inside quotes a quote is doubled and a backslash or a control
// character is written as \\ or \xHH, so a record stays on one line.
void AppendText(std::string& out, std::u16string_view text);
// The reverse; false for text that is not of that form.
bool ParseText(std::string_view field, std::u16string& text);

// Times as microseconds since 1 January 1970 UTC; false for text not of the form.
bool ParseDottedTime(std::string_view text, int64_t& us);  // dd.mm.yyyy hh:mm:ss[.fff]
bool ParseCompactTime(std::string_view text, int64_t& us); // yyyymmdd hhmmss[fff]
// yyyy-mm-dd(T| )hh:mm:ss[.f...][Z|+hh:mm|-hh:mm|+hhmm|-hhmm]
bool ParseIsoTime(std::string_view text, int64_t& us);

} // namespace replay
