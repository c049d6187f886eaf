#include "workers/NewsTags.h"

#include "toolkit/GridCells.h"
#include "toolkit/StringGrid.h"

#include <QObject>

#include <functional>

namespace workers {
namespace {

// Rows beyond the last event row, never examined.
constexpr int UntaggedRows = 9;

size_t HashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

// The index a grid keeps, with the state of the cells it describes. It rides on the grid as a
// child object: it goes with the grid, and every worker that is given the grid reaches it.
class NewsIndexHolder final : public QObject {
public:
    explicit NewsIndexHolder(tk::TStringGrid& grid) : QObject(&grid) {}

    void Set(const tk::TGridCells& cells, std::unique_ptr<const TNewsIndex> index) {
        index_ = std::move(index);
        epoch_ = cells.Epoch();
        changes_ = cells.Changes();
    }
    const TNewsIndex* For(const tk::TGridCells& cells) const {
        return cells.Epoch() == epoch_ && cells.Changes() == changes_ ? index_.get() : nullptr;
    }

    static NewsIndexHolder& Of(tk::TStringGrid& grid) {
        for (QObject* child : grid.children())
            if (auto* holder = dynamic_cast<NewsIndexHolder*>(child)) return *holder;
        return *new NewsIndexHolder(grid);
    }

private:
    std::unique_ptr<const TNewsIndex> index_;
    uint64_t epoch_ = 0;
    uint64_t changes_ = 0;
};

} // namespace

std::string_view NewsKey(std::string_view quoteTime) {
    return quoteTime.substr(0, 16);
}

TNewsIndex::TNewsIndex(const tk::TGridCells& news) : rowCount_(news.RowCount()) {
    const int last = rowCount_ - 1 - UntaggedRows;
    if (last < 1) return;
    heads_.assign(16, 0);
    next_.assign(size_t(last) + 1, 0);
    size_t keys = 0;
    // From the last row up, each row goes before the rows of its key found so far.
    for (int row = last; row >= 1; --row) {
        const std::string_view key = news.CellView(0, row);
        size_t slot = Find(news, key);
        if (heads_[slot] == 0 && ++keys * 2 > heads_.size()) {
            Grow(news);
            slot = Find(news, key);
        }
        next_[size_t(row)] = heads_[slot];
        heads_[slot] = uint32_t(row);
    }
}

void TNewsIndex::Grow(const tk::TGridCells& news) {
    std::vector<uint32_t> old(heads_.size() * 2, 0);
    old.swap(heads_);
    for (uint32_t head : old)
        if (head != 0) heads_[Find(news, news.CellView(0, int(head)))] = head;
}

size_t TNewsIndex::Find(const tk::TGridCells& news, std::string_view key) const {
    const size_t mask = heads_.size() - 1;
    size_t slot = HashOf(key) & mask;
    while (heads_[slot] != 0 && news.CellView(0, int(heads_[slot])) != key)
        slot = (slot + 1) & mask;
    return slot;
}

std::string TNewsIndex::Tags(const tk::TGridCells& news, std::string_view key) const {
    std::string tags;
    if (heads_.empty()) return tags;
    for (uint32_t row = heads_[Find(news, key)]; row != 0; row = next_[row]) {
        tags += ',';
        tags += news.CellView(1, int(row));
        tags += '_';
        tags += news.CellView(2, int(row));
    }
    return tags;
}

std::string NewsTags(tk::TStringGrid& news, std::string_view key) {
    NewsIndexHolder& holder = NewsIndexHolder::Of(news);
    const TNewsIndex* index = holder.For(news.Store());
    if (!index) {
        holder.Set(news.Store(), std::make_unique<TNewsIndex>(news.Store()));
        index = holder.For(news.Store());
    }
    return index->Tags(news.Store(), key);
}

void SetNewsIndex(tk::TStringGrid& news, std::unique_ptr<const TNewsIndex> index) {
    // Swapping in keeps column 0 of every row below the titles; a changed row count or a grid
    // without a column 0 would not.
    if (index->RowCount() != news.RowCount() || news.ColCount() == 0) index.reset();
    NewsIndexHolder::Of(news).Set(news.Store(), std::move(index));
}

} // namespace workers
