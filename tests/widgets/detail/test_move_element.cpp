#include "widgets/detail/move_element.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <span>
#include <vector>

namespace {

using tessaly::detail::Move_Element;

std::vector<int> Counted(int size) {
    std::vector<int> values(static_cast<std::size_t>(size));
    std::iota(values.begin(), values.end(), 0);
    return values;
}

TEST(Move_Element, MovesForwardAndBackShiftingTheOnesBetween) {
    std::vector<int> values = Counted(5);
    Move_Element(values, 1, 3);
    EXPECT_EQ(values, (std::vector<int>{0, 2, 3, 1, 4}));
    Move_Element(values, 4, 0);
    EXPECT_EQ(values, (std::vector<int>{4, 0, 2, 3, 1}));
    Move_Element(values, 2, 2);
    EXPECT_EQ(values, (std::vector<int>{4, 0, 2, 3, 1}));
}

// Every move of every list up to six long, against taking the element out
// and putting it back in at its new place.
TEST(Move_Element, AgreesWithEraseAndInsertForEveryPair) {
    for (int size = 1; size <= 6; ++size) {
        for (int from = 0; from < size; ++from) {
            for (int to = 0; to < size; ++to) {
                std::vector<int> expected = Counted(size);
                const int moved = expected[static_cast<std::size_t>(from)];
                expected.erase(expected.begin() + from);
                expected.insert(expected.begin() + to, moved);
                std::vector<int> values = Counted(size);
                Move_Element(values, from, to);
                EXPECT_EQ(values, expected) << size << ": " << from << " -> " << to;
            }
        }
    }
}

TEST(Move_Element, MovesWithinAPartOfALongerListOnly) {
    // Two rows of three in one list, as the cell texts are kept.
    std::vector<int> cells = Counted(6);
    Move_Element(std::span<int>(cells).subspan(3, 3), 0, 2);
    EXPECT_EQ(cells, (std::vector<int>{0, 1, 2, 4, 5, 3}));
}

TEST(Move_Element, KeepsOwnedObjectsThemselves) {
    std::vector<std::unique_ptr<int>> items;
    for (int i = 0; i < 4; ++i) {
        items.push_back(std::make_unique<int>(i));
    }
    const int* moved = items[0].get();
    Move_Element(items, 0, 3);
    EXPECT_EQ(items[3].get(), moved);
    EXPECT_EQ(*items[0], 1);
    EXPECT_EQ(*items[2], 3);
}

}  // namespace
