#pragma once

#include <string>

#include "core/data_file.h"
#include "core/event_list.h"

namespace tessaly {

// Takes back the entries an import appended unless the import keeps them:
// one that fails part-way (out of memory, or a list the data file could not
// hold) leaves the list as it was. Imports only append, so the count before
// is all there is to restore.
class Import_Guard {
public:
    explicit Import_Guard(Event_List& list) : list_(list), count_(list.Event_Count()) {}
    ~Import_Guard() {
        if (!kept_) {
            list_.Set_Event_Count(count_);
        }
    }
    Import_Guard(const Import_Guard&) = delete;
    Import_Guard& operator=(const Import_Guard&) = delete;

    // Throws Unsaveable_List_Error when the list with the import could not
    // be saved and read back.
    void Check_Saveable() const { Check_Loadable(Serialise_Data_File(list_), list_.Event_Count()); }
    void Keep() { kept_ = true; }

private:
    Event_List& list_;
    int count_;
    bool kept_ = false;
};

}  // namespace tessaly
