#include "workers/NewsTags.h"

#include "Support.h"

#include "toolkit/StringGrid.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

using workers::NewsTags;
using workers::TNewsIndex;

namespace {

// What the tags are: every row from 1 to row count - 10 whose date and time equal the key.
std::string Scan(const tk::TGridCells& news, std::string_view key) {
    std::string tags;
    for (int i = 1; i <= news.RowCount() - 10; ++i)
        if (news.CellView(0, i) == key) tags += "," + news.Cell(1, i) + "_" + news.Cell(2, i);
    return tags;
}

std::string Minute(int m) {
    return "2026.12.07 " + std::string(m < 600 ? "0" : "") + std::to_string(m / 60) + ":" +
           (m % 60 < 10 ? "0" : "") + std::to_string(m % 60);
}

// A calendar of the given rows whose times are drawn from `minutes` minutes (and a few texts
// that are no minute at all), so that keys repeat, also in the last nine rows.
tk::TGridCells Calendar(std::mt19937& random, int rows, int minutes) {
    tk::TGridCells news(7, rows);
    for (int r = 1; r < rows; ++r) {
        const unsigned pick = random() % (unsigned(minutes) + 3);
        news.SetCell(0, r,
                     pick == 0   ? ""
                     : pick == 1 ? " "
                     : pick == 2 ? "2026.12.07"
                                 : Minute(int(pick)));
        news.SetCell(1, r, random() % 2 ? "EUR" : "USD");
        news.SetCell(2, r, "E" + std::to_string(r));
    }
    return news;
}

} // namespace

TEST(NewsTags, TheIndexTagsWhatAScanOfAllButTheLastNineRowsTags) {
    std::mt19937 random(17);
    for (int round = 0; round < 320; ++round) {
        const int rows = round < 300 ? int(random() % 30) : 2000 + int(random() % 3000);
        const int minutes = round % 3 == 0 ? 2 : round % 3 == 1 ? 20 : 5000;
        const tk::TGridCells news = Calendar(random, rows, minutes);
        const TNewsIndex index(news);
        EXPECT_EQ(index.RowCount(), rows);
        // Every key there is, those of the last nine rows included, a key of no row, and a
        // key that only begins like one.
        std::map<std::string, std::string> scans;
        for (int r = 0; r < rows; ++r) scans[news.Cell(0, r)];
        scans["2026.12.08 00:00"];
        scans["2026.12.07 00"];
        for (int i = 1; i <= rows - 10; ++i) // the scan of every key in one pass
            scans[news.Cell(0, i)] += "," + news.Cell(1, i) + "_" + news.Cell(2, i);
        for (const auto& [key, tags] : scans)
            ASSERT_EQ(index.Tags(news, key), tags)
                << "round " << round << ", " << rows << " rows, key '" << key << "'";
    }
}

// The window's news grid keeps the index it was given until its cells change; then the next
// tags build one from what the grid holds.
TEST(NewsTags, AGridUsesTheIndexItWasGivenUntilItChanges) {
    testing_support::App();
    std::mt19937 random(5);
    tk::TGridCells cells = Calendar(random, 40, 3);
    const std::string key = Minute(1);
    for (int r : {7, 8, 28}) cells.SetCell(0, r, key);
    // The index of a store that differs in row 8 alone.
    tk::TGridCells other = cells.Snapshot();
    other.SetCell(0, 8, "");
    tk::TStringGrid grid;
    grid.SwapCells(cells);
    const std::string tags = NewsTags(grid, key);
    EXPECT_EQ(tags, Scan(grid.Store(), key));
    EXPECT_NE(tags.find(",E"), std::string::npos);

    workers::SetNewsIndex(grid, std::make_unique<TNewsIndex>(other));
    EXPECT_EQ(NewsTags(grid, key), Scan(other, key)); // taken as given, row 8 missing
    grid.SetCells(0, 2, Minute(2));
    EXPECT_EQ(NewsTags(grid, key), Scan(grid.Store(), key)); // built again
    EXPECT_EQ(NewsTags(grid, Minute(2)), Scan(grid.Store(), Minute(2)));
    // Rows 26 to 30 fall behind the bound as the row count goes down.
    grid.SetRowCount(35);
    EXPECT_EQ(NewsTags(grid, key), Scan(grid.Store(), key));
    // An index of another row count is not taken.
    workers::SetNewsIndex(grid, std::make_unique<TNewsIndex>(other));
    EXPECT_EQ(NewsTags(grid, key), Scan(grid.Store(), key));
    EXPECT_EQ(NewsTags(grid, key).find("_E28"), std::string::npos);
}
