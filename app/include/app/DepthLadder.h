// The depth ladder's book: the Level 2 entries of one symbol aggregated by price, one level per
// price with its total size and the number of market makers quoting there. It reads the same
// records the Level 2 books do and keeps its own state: each maker holds at most one entry per
// side (a new open entry replaces the one before), and a closed entry leaves the ladder.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class TDepthLadder {
public:
    enum TSide { Bid, Ask };
    struct TLevel {
        int64_t Size = 0;   // the sizes of the entries at the price, added
        int32_t Makers = 0; // the entries at the price: one per maker
    };

    // One Level 2 record. Side 1 is the bid side and every other value the ask side, as in the
    // books. A record whose price is not a number changes nothing. Answers whether the ladder
    // changed.
    bool Apply(std::string_view mmid, double price, int32_t size, uint32_t side, bool closed);
    void Clear();

    // The highest bid and the lowest ask; nothing for an empty side.
    std::optional<double> BestBid() const;
    std::optional<double> BestAsk() const;
    // Best ask minus best bid, when both sides have levels.
    std::optional<double> Spread() const;
    int LevelCount(TSide side) const { return int(SideOf(side).levels.size()); }
    // Calls visit(price, level) for at most count levels of side from the best outwards: bids
    // from the highest price down, asks from the lowest up.
    void VisitLevels(TSide side, int count,
                     const std::function<void(double, const TLevel&)>& visit) const;

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    struct TEntry {
        double price;
        int32_t size;
    };
    struct TBookSide {
        std::map<double, TLevel> levels;
        std::unordered_map<std::string, TEntry, Hash, std::equal_to<>> entries;
    };
    const TBookSide& SideOf(TSide side) const { return side == Bid ? bids_ : asks_; }
    static void Remove(TBookSide& side, const TEntry& entry);

    TBookSide bids_, asks_;
};
