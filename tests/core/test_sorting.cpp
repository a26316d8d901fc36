#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <utility>

#include "core/event_list.h"
#include "core/sorting.h"

namespace tessaly {
namespace {

std::vector<std::string> Names(const Event_List& list) {
    std::vector<std::string> names;
    for (const auto& entry : list.Entries()) {
        names.push_back(entry.Name);
    }
    return names;
}

void Add(Event_List& list, std::string name, double next_event = 0, std::string comments = {}) {
    TName_And_Event_Data& entry = list.Append();
    entry.Name = std::move(name);
    entry.Next_Event = next_event;
    entry.Days_Left = static_cast<std::int32_t>(next_event);
    entry.Comments = std::move(comments);
}

// The adjacent-exchange sort that the fast sort must agree with. It moves
// pointers, not records, so that the comparison stays quick on long lists.
void Reference_Bubble_Sort(std::vector<TName_And_Event_Data>& records, int column, int order) {
    std::vector<const TName_And_Event_Data*> entries;
    for (const TName_And_Event_Data& record : records) {
        entries.push_back(&record);
    }
    const auto key_greater = [column](const TName_And_Event_Data& a,
                                      const TName_And_Event_Data& b) {
        switch (column) {
            case 0:
                return a.Name.compare(b.Name) > 0;
            case 1:
                return a.Orig_Date > b.Orig_Date;
            case 2:
                return a.Next_Event > b.Next_Event;
            case 3:
                return a.Days_Left > b.Days_Left;
            case 4:
                return a.Age_Next > b.Age_Next;
            case 5:
                return a.Event_Type.compare(b.Event_Type) > 0;
            default:
                return a.Comments.compare(b.Comments) > 0;
        }
    };
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (std::size_t j = 0; j + 1 < entries.size(); ++j) {
            const bool swap_needed = order == Sort_Ascending
                                         ? key_greater(*entries[j], *entries[j + 1])
                                         : key_greater(*entries[j + 1], *entries[j]);
            if (swap_needed) {
                std::swap(entries[j], entries[j + 1]);
                exchanged = true;
            }
        }
    }
    std::vector<TName_And_Event_Data> sorted;
    sorted.reserve(entries.size());
    for (const TName_And_Event_Data* entry : entries) {
        sorted.push_back(*entry);
    }
    records = std::move(sorted);
}

TEST(Sorting, TextIsOrdinalAndCaseSensitive) {
    Event_List list;
    for (const char* name : {"apple", "Tax Return", "", "Zebra", "Tax", "\xC3\xA9t\xC3\xA9", "z"}) {
        Add(list, name);
    }
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Ascending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"", "Tax", "Tax Return", "Zebra", "apple", "z",
                                                     "\xC3\xA9t\xC3\xA9"}));
}

TEST(Sorting, EqualKeysKeepTheirOrderInBothDirections) {
    Event_List list;
    Add(list, "b1", 10);
    Add(list, "a", 5);
    Add(list, "b2", 10);
    Add(list, "c", 20);
    Add(list, "b3", 10);
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Next_Event, Sort_Ascending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b1", "b2", "b3", "c"}));
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Next_Event, Sort_Descending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b1", "b2", "b3", "a"}));
}

TEST(Sorting, ReportsWhetherAnythingMoved) {
    Event_List list;
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Ascending));
    Add(list, "only");
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Descending));
    Add(list, "another");
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Ascending));
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Ascending));
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Descending));
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Name, Sort_Descending));
}

TEST(Sorting, ChoicesOutsideTheRadioItemsLeaveTheOrder) {
    Event_List list;
    Add(list, "b");
    Add(list, "a");
    for (const auto& [column, order] : {std::pair{-1, 0}, {7, 0}, {9, 1}, {0, -1}, {0, 2}}) {
        EXPECT_FALSE(Sort_Data_BitBtnClick(list, column, order));
        EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a"}));
    }
}

TEST(Sorting, NotANumberKeepsTheSortWellDefined) {
    Event_List list;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Add(list, "n1", nan);
    Add(list, "one", 1);
    Add(list, "n2", nan);
    Add(list, "zero", 0);
    EXPECT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Next_Event, Sort_Ascending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"zero", "one", "n1", "n2"}));
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Next_Event, Sort_Ascending));
}

// Random lists with many ties, every column and direction, must come out
// exactly as the exchange sort would leave them.
TEST(Sorting, AgreesWithAdjacentExchangeSort) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> small(0, 6);
    const char* const texts[] = {"", "a", "B", "b", "Tax", "Tax Return", "\xE9"};
    for (int round = 0; round < 40; ++round) {
        Event_List list;
        const int count = 1 + round * 12;
        for (int i = 0; i < count; ++i) {
            TName_And_Event_Data& entry = list.Append();
            entry.Name = texts[small(random)];
            entry.Orig_Date = small(random) + 0.5 * small(random);
            entry.Next_Event = small(random);
            entry.Days_Left = small(random) - 3;
            entry.Age_Next = small(random);
            entry.Event_Type = texts[small(random)];
            entry.Comments = texts[small(random)];
            entry.Spare_1 = std::to_string(i);  // identifies the record
        }
        for (int column = 0; column < Sort_Column_Count; ++column) {
            for (int order : {Sort_Ascending, Sort_Descending}) {
                const std::vector<TName_And_Event_Data> before(list.Entries().begin(),
                                                               list.Entries().end());
                std::vector<TName_And_Event_Data> expected = before;
                Reference_Bubble_Sort(expected, column, order);
                const bool moved = Sort_Data_BitBtnClick(list, column, order);
                const std::vector<TName_And_Event_Data> actual(list.Entries().begin(),
                                                               list.Entries().end());
                ASSERT_EQ(actual, expected) << "column " << column << " order " << order;
                EXPECT_EQ(moved, expected != before);
            }
        }
    }
}

TEST(Sorting, EntriesWithoutAnAgeComeLastByAgeInBothOrders) {
    Event_List list;
    const std::pair<const char*, int> entries[] = {{"x", -1}, {"b", 20}, {"y", -1}, {"a", 30}};
    for (const auto& [name, age] : entries) {
        TName_And_Event_Data& entry = list.Append();
        entry.Name = name;
        entry.Year_Unknown = age < 0;
        entry.Age_Next = age < 0 ? 0 : age;
    }
    ASSERT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Age_Next, Sort_Ascending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a", "x", "y"}));
    ASSERT_TRUE(Sort_Data_BitBtnClick(list, Sort_By_Age_Next, Sort_Descending));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "x", "y"}));
    EXPECT_FALSE(Sort_Data_BitBtnClick(list, Sort_By_Age_Next, Sort_Descending));
}

}  // namespace
}  // namespace tessaly
