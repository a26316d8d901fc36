#include "core/event_list.h"

#include <stdexcept>

namespace tessaly {

namespace {

std::string Capacity_Message_Start() {
    return std::string("Error: The event array size is limited to ") + "500" +
           " for this version of the program." + Message_Line_Break + Message_Line_Break;
}

std::string Capacity_Message_Upgrade() {
    return std::string("If you require the program to handle more events than this, then ") +
           "please contact the program`s author and request an upgraded version.";
}

}  // namespace

std::string Capacity_Message_Add() {
    return Capacity_Message_Start() + Capacity_Message_Upgrade();
}

std::string Capacity_Message_Load() {
    return Capacity_Message_Start() + "Only this many events could be loaded / imported." +
           Message_Line_Break + Message_Line_Break + Capacity_Message_Upgrade();
}

Event_List::Event_List() : Event_Array(Event_Array_Size) {}

TName_And_Event_Data& Event_List::At(int position) {
    if (position < 1 || position > Event_Array_Size) {
        throw std::out_of_range("event list position " + std::to_string(position));
    }
    return Event_Array[static_cast<std::size_t>(position - 1)];
}

const TName_And_Event_Data& Event_List::At(int position) const {
    return const_cast<Event_List*>(this)->At(position);
}

TName_And_Event_Data& Event_List::Append() {
    if (Is_Full()) {
        throw std::length_error("event list is full");
    }
    ++count_;
    return At(count_);
}

void Event_List::Replace(int position, std::string name, Day_Number orig_date,
                         std::string event_type, std::string comments) {
    if (position < 1 || position > count_) {
        throw std::out_of_range("replace at position " + std::to_string(position));
    }
    TName_And_Event_Data& entry = At(position);
    entry.Name = std::move(name);
    entry.Orig_Date = orig_date;
    entry.Event_Type = std::move(event_type);
    entry.Comments = std::move(comments);
}

void Event_List::Remove_Run(int position, int count) {
    if (position < 1 || count < 1 || count > count_ || position > count_ - count + 1) {
        throw std::out_of_range("remove " + std::to_string(count) + " entries at position " +
                                std::to_string(position));
    }
    for (int i = position; i <= count_ - count; ++i) {
        At(i) = std::move(At(i + count));
    }
    for (int i = count_ - count + 1; i <= count_; ++i) {
        At(i) = TName_And_Event_Data{};
    }
    count_ -= count;
}

void Event_List::Initialise_Entire_Array_ButtonClick() {
    for (TName_And_Event_Data& entry : Event_Array) {
        entry = TName_And_Event_Data{};
    }
    count_ = 0;
}

void Event_List::Set_Event_Count(int count) {
    if (count < 0 || count > Event_Array_Size) {
        throw std::out_of_range("event count " + std::to_string(count));
    }
    for (int i = count + 1; i <= count_; ++i) {
        At(i) = TName_And_Event_Data{};
    }
    count_ = count;
}

}  // namespace tessaly
