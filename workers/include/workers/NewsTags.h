// Quote rows marked with the economic calendar events of their minute.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tk {
class TGridCells;
class TStringGrid;
} // namespace tk

namespace workers {

// The minute of a quote time "yyyy.mm.dd hh:nn:ss": its first 16 characters.
std::string_view NewsKey(std::string_view quoteTime);

// The event rows of a news grid by their date and time (column 0), so that the tags of a
// minute cost what they hold, not what the calendar holds. Only rows 1 to row count - 10 are
// events to tag: the last nine rows of the grid are never examined.
class TNewsIndex {
public:
    // Reads column 0 of news, in time linear in its row count.
    explicit TNewsIndex(const tk::TGridCells& news);

    // For every event row whose date and time equal key, in row order: "," + currency (column
    // 1) + "_" + title (column 2). Empty when none matches. news is the store the index was
    // built from, or one with the same row count and the same texts in column 0.
    std::string Tags(const tk::TGridCells& news, std::string_view key) const;

    // The row count of the store it was built from.
    int RowCount() const { return rowCount_; }

private:
    // The slot of key's rows, or the free slot where they would go.
    size_t Find(const tk::TGridCells& news, std::string_view key) const;
    void Grow(const tk::TGridCells& news);

    int rowCount_;
    // Open addressing on the hash of the key, at most half full: the first row of each key, 0
    // for a free slot.
    std::vector<uint32_t> heads_;
    // The next row of the same key after each row, 0 after the last.
    std::vector<uint32_t> next_;
};

// Window thread. The news tags of the grid's events of key's minute. The grid keeps the index
// of its events that SetNewsIndex gave it; when its texts or shape changed since (or it never
// had one), an index is built from it first, once until its next change.
std::string NewsTags(tk::TStringGrid& news, std::string_view key);

// Window thread. Gives the grid the index of its events, right after the cells the index was
// built from were swapped in. An index of another row count is dropped (the next tags build
// one).
void SetNewsIndex(tk::TStringGrid& news, std::unique_ptr<const TNewsIndex> index);

} // namespace workers
