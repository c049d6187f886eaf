// Cutting a delimited line into fields. Positions in the comments count from 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace workers {

// Every field of the text: "a;b;" gives a, b and an empty field; the empty text gives one
// empty field.
std::vector<std::string> split(std::string_view text, char delimiter);

// The field with the zero-based index, or the empty text. After each field only the next 255
// characters of the line are looked at, so a field is found only when a delimiter follows it
// inside that window; a negative index gives the empty text.
std::string split2(std::string_view text, int index, char delimiter);

// The fields 0 to count - 1 as split2 finds them, in one pass: fields[k] holds split2(text, k,
// delimiter) as a view into text.
void split2Fields(std::string_view text, char delimiter, std::string_view* fields, int count);

} // namespace workers
