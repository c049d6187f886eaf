#include "workers/NewsTags.h"

#include "toolkit/GridCells.h"

namespace workers {

std::string_view NewsKey(std::string_view quoteTime) {
    return quoteTime.substr(0, 16);
}

std::string NewsTags(const tk::TGridCells& news, std::string_view key) {
    std::string tags;
    for (int i = 1; i < news.RowCount(); ++i) {
        if (news.CellView(0, i) != key) continue;
        tags += ',';
        tags += news.CellView(1, i);
        tags += '_';
        tags += news.CellView(2, i);
    }
    return tags;
}

} // namespace workers
