#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/dates.h"

namespace tessaly {

struct TName_And_Event_Data {
    std::string Name;
    Day_Number Orig_Date = 0;
    // Derived by Calc_Days_Left_ButtonClick; never stored in the data file.
    Day_Number Next_Event = 0;
    std::int32_t Days_Left = 0;
    std::int32_t Age_Next = 0;
    std::string Event_Type;
    std::string Comments;
    // Never shown or edited, but a loaded file's values are written back.
    std::string Spare_1;
    std::string Spare_2;
    std::string Spare_3;
    std::string Spare_4;

    bool operator==(const TName_And_Event_Data&) const = default;
};

inline constexpr int Event_Array_Size = 500;

// The line break inside message texts.
inline constexpr const char* Message_Line_Break = "\r\n";

std::string Capacity_Message_Add();
std::string Capacity_Message_Load();

// The one list of entries, positions 1..Event_Array_Size. Positions past
// Event_Count are always blank, so an append only sets the fields it knows
// and inherits empty comments and spare fields.
class Event_List {
public:
    Event_List();

    int Event_Count() const { return count_; }
    bool Is_Full() const { return count_ >= Event_Array_Size; }

    // Position 1..Event_Array_Size; anything else throws std::out_of_range.
    TName_And_Event_Data& At(int position);
    const TName_And_Event_Data& At(int position) const;

    // Positions 1..Event_Count, in list order.
    std::span<TName_And_Event_Data> Entries() { return {Event_Array.data(), Entries_Size()}; }
    std::span<const TName_And_Event_Data> Entries() const {
        return {Event_Array.data(), Entries_Size()};
    }

    // Increments Event_Count and returns the (blank) new last record. The
    // caller tests Is_Full() first; appending to a full list throws
    // std::length_error.
    TName_And_Event_Data& Append();

    // Overwrites the four user-editable fields of one entry; the spare and
    // derived fields stay.
    void Replace(int position, std::string name, Day_Number orig_date, std::string event_type,
                 std::string comments);

    // Removes `count` entries starting at `position`; the entries below move
    // up in order and the freed positions are blanked. Throws
    // std::out_of_range unless 1 <= position and the run ends within
    // Event_Count.
    void Remove_Run(int position, int count);

    // Blanks all positions and sets Event_Count to 0.
    void Initialise_Entire_Array_ButtonClick();

    // For the loader, which fixes the count before it reads the entries:
    // raising the count exposes blank records, lowering it blanks the
    // positions it frees. Throws std::out_of_range outside 0..Event_Array_Size.
    void Set_Event_Count(int count);

private:
    std::size_t Entries_Size() const { return static_cast<std::size_t>(count_); }

    // Allocated once for all positions; never resized.
    std::vector<TName_And_Event_Data> Event_Array;
    int count_ = 0;
};

}  // namespace tessaly
