#include "Split.h"

#include <algorithm>

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

void split2Fields(std::string_view text, char delimiter, std::string_view* fields, int count) {
    constexpr size_t Window = 255;
    // The work text is the text with one delimiter appended. Each round looks for the next
    // delimiter in [start, end); the next round looks at most Window characters after it,
    // never beyond the current window, so after the first field only the Window characters
    // that follow it are ever looked at.
    const size_t length = text.size() + 1;
    size_t start = 0, end = length;
    int k = 0;
    for (; k < count; ++k) {
        size_t p = text.substr(0, std::min(end, text.size())).find(delimiter, start);
        if (p == std::string_view::npos) {
            // Only the appended delimiter is left, if the window still holds it; without a
            // delimiter in the window every later round finds none either.
            if (end < length || start > text.size()) break;
            p = text.size();
        }
        fields[k] = text.substr(start, p - start);
        start = p + 1;
        end = std::min(start + Window, end);
    }
    for (; k < count; ++k) fields[k] = {};
}

std::string split2(std::string_view text, int index, char delimiter) {
    // Every field but the last takes at least its delimiter, so no index beyond the text's
    // length finds one.
    if (index < 0 || size_t(index) > text.size()) return {};
    std::vector<std::string_view> fields(size_t(index) + 1);
    split2Fields(text, delimiter, fields.data(), index + 1);
    return std::string(fields.back());
}

} // namespace workers
