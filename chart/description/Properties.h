// The published properties a description holds, as tables per class: each property is read and
// written through its getter and setter; each sub-object (a pen, a font, an axis) is reached
// through its accessor and has a table of its own.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace kiv {

class TChartSeries;

namespace description {

enum class TValueKind { Bool, Int, Double, Text, Lines };

using TValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>>;

// A property of an object of the table's type, reached as void* of exactly that type.
struct TProperty {
    std::string_view Name;
    TValueKind Kind;
    // An enumeration's values by name (written as names), else empty.
    std::span<const char* const> Names;
    // The range of an integer or enumeration.
    std::int64_t Min = 0, Max = 0;
    TValue (*Get)(void* object);
    // Raises what the setter raises.
    void (*Set)(void* object, const TValue& value);
};

struct TObjectType;

struct TChild {
    std::string_view Name;
    const TObjectType* Type;
    void* (*Access)(void* object);
};

struct TObjectType {
    std::vector<TProperty> Properties;
    std::vector<TChild> Children;
};

// The chart's own table (with its axes, titles, legend and walls); the object is a TCustomChart.
const TObjectType& ChartType();

// The tables that apply to a series of series' kind, base first; each takes the series as
// void* of TChartSeries.
std::vector<const TObjectType*> SeriesTypes(const TChartSeries& series);

// The table of a function's properties; the object is a TKivFunction.
const TObjectType& FunctionType();

// How a value of a published type is held.
template <class T> constexpr TValueKind KindOf() {
    if constexpr (std::is_same_v<T, bool>)
        return TValueKind::Bool;
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return TValueKind::Int;
    else if constexpr (std::is_floating_point_v<T>)
        return TValueKind::Double;
    else if constexpr (std::is_same_v<T, std::string>)
        return TValueKind::Text;
    else
        return TValueKind::Lines;
}

// The names of an enumeration's values, in order from 0.
template <class E> std::span<const char* const> EnumNames();

template <class T> TValue ToValue(const T& value) {
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string> ||
                  std::is_same_v<T, std::vector<std::string>>)
        return value;
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<std::int64_t>(value);
    else
        return static_cast<double>(value);
}

template <class T> T FromValue(const TValue& value) {
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, std::string> ||
                  std::is_same_v<T, std::vector<std::string>>)
        return std::get<T>(value);
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<T>(std::get<std::int64_t>(value));
    else
        return static_cast<T>(std::get<double>(value));
}

template <class T, class Get, class Set>
TProperty MakeProperty(std::string_view name, Get get, Set set) {
    TProperty p{name, KindOf<T>(), {}, 0, 0, get, set};
    if constexpr (std::is_enum_v<T>) {
        p.Names = EnumNames<T>();
        p.Max = std::int64_t(p.Names.size()) - 1;
    } else if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
        p.Min = std::numeric_limits<T>::min();
        p.Max = std::numeric_limits<T>::max();
    }
    return p;
}

} // namespace description
} // namespace kiv
