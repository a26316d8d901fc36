#pragma once

#include <QString>

#include <map>
#include <string>
#include <vector>

#include "core/entry_attributes.h"
#include "core/event_list.h"

namespace tessaly {

// The texts the window shows for entries taken from an address book.

// The name cell's hint: which contact, in which book. The book is named as
// the server names it where that is known (`book_names`, by URL), else by
// its URL.
QString Contact_Hint_Text(const TName_And_Event_Data& entry, const Contact_Source& source,
                          const std::map<std::string, std::string>& book_names);

// The question before hiding entries the user deletes: `from_books` are the
// selected entries that come from an address book, `selected` how many rows
// were selected in all.
QString Hide_Contacts_Question(const std::vector<const TName_And_Event_Data*>& from_books,
                               int selected);

// The hidden list with `added` joined to it, each key once, in the order
// first hidden.
std::vector<std::string> With_Hidden_Contacts(std::vector<std::string> hidden,
                                              const std::vector<std::string>& added);

}  // namespace tessaly
