#include "toolkit/GridCells.h"

#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

using tk::TGridCells;

TEST(GridCells, CellsReadBackThroughHotAndPackedRows) {
    TGridCells g(12, 1);
    for (int r = 1; r <= 1000; ++r) {
        g.SetRowCount(r + 1);
        g.SetCell(0, r, "2026.12.06 10:00:" + std::to_string(r % 60));
        g.SetCell(1, r, std::to_string(r));
        g.SetCell(11, r, std::to_string(r));
    }
    for (int r = 1; r <= 1000; ++r) {
        EXPECT_EQ(g.Cell(1, r), std::to_string(r));
        EXPECT_EQ(g.Cell(11, r), std::to_string(r));
        EXPECT_EQ(g.Cell(5, r), "");
    }
    // A later change of an old row (the news tag of column 8) keeps its other cells, and the
    // row's stamp tells readers that kept values from its texts: none while it is being
    // changed, a new one after.
    uint64_t before17, before18, stamp;
    ASSERT_TRUE(g.RowStamp(17, before17));
    ASSERT_TRUE(g.RowStamp(18, before18));
    g.SetCell(8, 17, ",EUR_CPI");
    EXPECT_FALSE(g.RowStamp(17, stamp));
    EXPECT_EQ(g.Cell(8, 17), ",EUR_CPI");
    EXPECT_EQ(g.Cell(1, 17), "17");
    EXPECT_EQ(g.Cell(1, 18), "18");
    g.SetCell(1, 19, "19"); // the same text: nothing changes
    ASSERT_TRUE(g.RowStamp(17, stamp));
    EXPECT_NE(stamp, before17);
    ASSERT_TRUE(g.RowStamp(18, stamp));
    EXPECT_EQ(stamp, before18);
    EXPECT_FALSE(g.RowStamp(1001, stamp));
    // A store rebuilt or moved takes a new epoch: its stamps may be reused for other texts.
    const uint64_t epoch = g.Epoch();
    TGridCells moved(std::move(g));
    EXPECT_EQ(moved.Epoch(), epoch);
    EXPECT_NE(g.Epoch(), epoch);
    moved.SetColCount(11);
    EXPECT_NE(moved.Epoch(), epoch);
}

TEST(GridCells, LongTextsBinaryBytesAndOutOfRange) {
    TGridCells g(3, 3);
    std::string big(300000, 'x');
    std::string binary("a\0b\xFF", 4);
    g.SetCell(0, 1, big);
    g.SetCell(1, 1, binary);
    g.SetCell(2, 2, "z");
    EXPECT_EQ(g.Cell(0, 1), big);
    EXPECT_EQ(g.Cell(1, 1), binary);
    EXPECT_EQ(g.Cell(3, 1), "");
    EXPECT_EQ(g.Cell(-1, 0), "");
    EXPECT_EQ(g.Cell(0, 3), "");
    EXPECT_THROW(g.SetCell(3, 0, "x"), rtl::EListError);
    EXPECT_THROW(g.SetCell(0, -1, "x"), rtl::EListError);
    EXPECT_THROW(g.SetRowCount(-1), rtl::EListError);
    EXPECT_EQ(g.Cell(2, 2), "z"); // nothing lost by the refused calls
}

TEST(GridCells, ShrinkGrowAndClearKeepTheRestIntact) {
    TGridCells g(2, 10);
    for (int r = 0; r < 10; ++r) g.SetCell(0, r, "row" + std::to_string(r));
    g.SetRowCount(5);
    g.SetRowCount(8);
    EXPECT_EQ(g.Cell(0, 4), "row4");
    EXPECT_EQ(g.Cell(0, 5), ""); // a row dropped and grown again comes back empty
    g.ClearRow(2);
    EXPECT_EQ(g.Cell(0, 2), "");
    EXPECT_EQ(g.Cell(0, 3), "row3");
    // Clearing the row being filled forgets its unpacked cells too.
    g.SetCell(1, 3, "filling");
    g.ClearRow(3);
    EXPECT_EQ(g.Cell(1, 3), "");
    EXPECT_EQ(g.Cell(0, 3), "");
    g.SetCell(1, 4, "next"); // packs whatever row was being filled
    EXPECT_EQ(g.Cell(1, 3), "");
    g.SetColCount(1);
    g.SetCell(0, 1, "one");
    EXPECT_EQ(g.Cell(0, 1), "one");
}

TEST(GridCells, GarbageIsReclaimedWhenRowsAreRewritten) {
    TGridCells g(12, 20001);
    for (int r = 1; r <= 20000; ++r)
        for (int c = 0; c < 12; ++c) g.SetCell(c, r, "cell text " + std::to_string(c));
    size_t full = g.MemoryBytes();
    const uint64_t epoch = g.Epoch();
    // Emptying every row (what Stop does) must give the memory back, not keep it as garbage.
    for (int round = 0; round < 3; ++round) {
        for (int r = 1; r <= 20000; ++r) g.ClearRow(r);
        for (int r = 1; r <= 20000; ++r)
            for (int c = 0; c < 12; ++c) g.SetCell(c, r, "cell text " + std::to_string(c));
    }
    EXPECT_LE(g.MemoryBytes(), full + (size_t(8) << 20));
    EXPECT_EQ(g.Cell(11, 20000), "cell text 11");
    EXPECT_NE(g.Epoch(), epoch); // the records moved
}

TEST(GridCells, SnapshotKeepsWhatItSawWhileTheOriginalMovesOn) {
    TGridCells g(3, 2);
    g.SetCell(0, 1, "first");
    g.SetCell(2, 1, "hot"); // row 1 is still unpacked
    TGridCells snap = g.Snapshot();
    // The original changes the row, grows into the same chunk, empties rows and compacts.
    g.SetCell(0, 1, "changed");
    g.SetRowCount(20001);
    for (int r = 1; r <= 20000; ++r) g.SetCell(1, r, std::string(40, char('a' + r % 26)));
    for (int r = 1; r <= 20000; ++r) g.ClearRow(r);
    for (int r = 1; r <= 20000; ++r) g.SetCell(1, r, "again");
    EXPECT_EQ(snap.RowCount(), 2);
    EXPECT_EQ(snap.Cell(0, 1), "first");
    EXPECT_EQ(snap.Cell(2, 1), "hot");
    EXPECT_EQ(snap.Cell(1, 1), "");
    // Writing into the snapshot never touches the original, and neither side writes over the
    // records the other packs after the snapshot was taken.
    TGridCells snap2 = g.Snapshot();
    snap2.SetCell(0, 5, "mine");
    snap2.SetCell(0, 6, "packs row 5");
    g.SetCell(0, 7, "theirs");
    g.SetCell(0, 8, "packs row 7");
    snap2.SetRowCount(30000);
    snap2.SetCell(2, 29999, "tail");
    EXPECT_EQ(snap2.Cell(0, 5), "mine");
    EXPECT_EQ(g.Cell(0, 7), "theirs");
    EXPECT_EQ(g.Cell(0, 5), "");
    EXPECT_EQ(snap2.Cell(0, 7), "");
    EXPECT_EQ(g.Cell(1, 20000), "again");
    EXPECT_EQ(g.RowCount(), 20001);
}
