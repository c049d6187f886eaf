// printf-style text formatting with type-safe arguments: %s, %d, %u, %x and %%.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace rtl {

using FormatArg = std::variant<std::string_view, int64_t, uint64_t>;

// Substitutes the arguments in order. A directive without an argument, or an argument of the
// wrong kind, raises EConvertError: a malformed message never reads past its arguments.
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);

} // namespace rtl
