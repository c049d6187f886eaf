#include "app/DepthLadder.h"

#include <cmath>

bool TDepthLadder::Apply(std::string_view mmid, double price, int32_t size, uint32_t side,
                         bool closed) {
    TBookSide& book = side == 1 ? bids_ : asks_;
    auto found = book.entries.find(mmid);
    if (closed) {
        if (found == book.entries.end()) return false;
        Remove(book, found->second);
        book.entries.erase(found);
        return true;
    }
    // A price that is not a number has no place among the levels.
    if (!std::isfinite(price)) return false;
    if (found == book.entries.end())
        found = book.entries.emplace(std::string(mmid), TEntry{price, 0}).first;
    else
        Remove(book, found->second);
    found->second = {price, size};
    TLevel& level = book.levels[price];
    level.Size += size;
    ++level.Makers;
    return true;
}

void TDepthLadder::Remove(TBookSide& side, const TEntry& entry) {
    const auto level = side.levels.find(entry.price);
    if (level == side.levels.end()) return;
    level->second.Size -= entry.size;
    if (--level->second.Makers == 0) side.levels.erase(level);
}

void TDepthLadder::Clear() {
    bids_ = {};
    asks_ = {};
}

std::optional<double> TDepthLadder::BestBid() const {
    if (bids_.levels.empty()) return std::nullopt;
    return bids_.levels.rbegin()->first;
}

std::optional<double> TDepthLadder::BestAsk() const {
    if (asks_.levels.empty()) return std::nullopt;
    return asks_.levels.begin()->first;
}

std::optional<double> TDepthLadder::Spread() const {
    const auto bid = BestBid(), ask = BestAsk();
    if (!bid || !ask) return std::nullopt;
    return *ask - *bid;
}

void TDepthLadder::VisitLevels(TSide side, int count,
                               const std::function<void(double, const TLevel&)>& visit) const {
    auto walk = [&](auto begin, auto end) {
        for (; begin != end && count > 0; ++begin, --count) visit(begin->first, begin->second);
    };
    if (side == Bid)
        walk(bids_.levels.rbegin(), bids_.levels.rend());
    else
        walk(asks_.levels.begin(), asks_.levels.end());
}
