#include "workers/Split.h"

namespace workers {

std::vector<std::string> split(std::string_view text, char delimiter) {
    std::vector<std::string> items;
    std::string_view rest = text;
    for (size_t p = rest.find(delimiter); p != std::string_view::npos; p = rest.find(delimiter)) {
        items.emplace_back(rest.substr(0, p));
        rest.remove_prefix(p + 1);
    }
    items.emplace_back(rest);
    return items;
}

std::string split2(std::string_view text, int index, char delimiter) {
    constexpr size_t Window = 255;
    std::string work;
    work.reserve(text.size() + 1);
    work.append(text).push_back(delimiter);
    std::string_view rest = work;
    std::string_view result;
    for (int round = 0; round <= index; ++round) {
        const size_t p = rest.find(delimiter);
        // Without a delimiter in the window every later round finds none either.
        if (p == std::string_view::npos) return {};
        result = rest.substr(0, p);
        rest = rest.substr(p + 1, Window);
    }
    return std::string(result);
}

} // namespace workers
