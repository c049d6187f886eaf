// Which rows of a Level 2 book still show each market maker's MMID, so that closing a maker
// marks its rows without reading the whole book: a close costs the rows it marks, not the
// book's size, however long the book has grown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TMakerRows {
public:
    // An open entry of the maker was appended on row.
    void Opened(std::string_view mmid, int32_t row);

    // Calls mark(row) for every row that showed the maker's MMID and forgets them: once
    // marked closed, a row no longer shows the MMID.
    template <class Mark> void Close(std::string_view mmid, Mark&& mark) {
        if (mmid.empty()) {
            for (int32_t row = 1; row <= emptiedUpTo_; ++row) mark(row);
            emptiedUpTo_ = 0;
        }
        const auto found = rows_.find(mmid);
        if (found == rows_.end()) return;
        for (int32_t row : found->second) mark(row);
        rows_.erase(found);
    }

    // Rows 1 to lastRow were emptied: none shows its maker any more, and every one of them
    // now shows the empty MMID.
    void Emptied(int32_t lastRow);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, std::vector<int32_t>, Hash, std::equal_to<>> rows_;
    int32_t emptiedUpTo_ = 0; // rows 1 to this one were emptied and not marked since
};
