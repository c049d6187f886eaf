#include "GapArray.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

// Random inserts and erases at the front, the back and in between, checked against a vector;
// owned items must neither leak nor be lost when the storage is re-centred or grown.
TEST(GapArray, BehavesLikeAVectorUnderMixedEdits) {
    std::mt19937 rng(11);
    kiv::GapArray<std::unique_ptr<std::string>> gap;
    std::vector<std::string> ref;
    for (int step = 0; step < 20000; ++step) {
        const int op = int(rng() % 10);
        const size_t n = ref.size();
        if (op < 4 || n == 0) {
            // mostly at the front, as refills do
            const size_t at = op < 2 ? 0 : (op == 2 ? n : rng() % (n + 1));
            const std::string v = std::to_string(step);
            gap.insert(at, std::make_unique<std::string>(v));
            ref.insert(ref.begin() + ptrdiff_t(at), v);
        } else if (op < 7) {
            gap.insert(n, std::make_unique<std::string>("b" + std::to_string(step)));
            ref.push_back("b" + std::to_string(step));
        } else if (op < 9) {
            const size_t at = rng() % n;
            gap.erase(at);
            ref.erase(ref.begin() + ptrdiff_t(at));
        } else if (step % 1000 == 999) {
            gap.clear();
            ref.clear();
        } else {
            const size_t a = rng() % n, b = rng() % n;
            gap.swap_items(a, b);
            std::swap(ref[a], ref[b]);
        }
        ASSERT_EQ(gap.size(), ref.size());
    }
    for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(*gap[i], ref[i]) << i;
}

TEST(GapArray, PaddingAndClearKeepValuesApart) {
    kiv::GapArray<unsigned> colors;
    colors.grow_to(3, 7u);
    colors.insert(0, 1u);
    EXPECT_EQ(colors.size(), 4u);
    EXPECT_EQ(colors[0], 1u);
    EXPECT_EQ(colors[3], 7u);
    colors.clear();
    EXPECT_TRUE(colors.empty());
    for (unsigned i = 0; i < 100; ++i) colors.insert(0, i);
    EXPECT_EQ(colors[0], 99u);
    EXPECT_EQ(colors[99], 0u);
}

// Runs added at the end at once, between front insertions and clears, land after the items
// already there, whichever side the spare room was on.
TEST(GapArray, ExtendAddsAfterTheItemsWhateverRoomIsLeft) {
    std::mt19937 rng(5);
    kiv::GapArray<int> gap;
    std::vector<int> ref;
    for (int step = 0; step < 3000; ++step) {
        const int op = int(rng() % 8);
        if (op < 3) {
            gap.insert(0, step);
            ref.insert(ref.begin(), step);
        } else if (op < 6) {
            const size_t n = rng() % 60;
            int* added = gap.extend(n);
            for (size_t i = 0; i < n; ++i) ref.push_back(added[i] = step * 100 + int(i));
        } else if (step % 50 == 0) {
            gap.clear();
            ref.clear();
        } else {
            gap.push_back(-step);
            ref.push_back(-step);
        }
        ASSERT_EQ(std::vector<int>(gap.begin(), gap.end()), ref) << step;
    }
}
