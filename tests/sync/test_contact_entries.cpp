#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/profile_file.h"
#include "sync/contact_entries.h"
#include "sync/contacts_state.h"
#include "sync/sync_account.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

const std::string Book = "http://h/ann/books/friends/";
const std::string Other_Book = "http://h/ann/books/work/";

std::string Card(const std::string& uid, const std::string& name, const std::string& dates,
                 const std::string& version = "3.0") {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" +
           (uid.empty() ? "" : "UID:" + uid + "\r\n") + "FN:" + name + "\r\n" + dates +
           "END:VCARD\r\n";
}

Day_Number Day(int year, int month, int day) {
    return Day_Number_Of(year, month, day);
}

Book_Contact Member(const std::string& name, const std::string& etag,
                    std::optional<std::string> data) {
    return {Book + name + ".vcf", etag, std::move(data), {}};
}

TName_And_Event_Data From_Contact(const std::string& name, int year, int month, int day,
                                  const std::string& type, const Contact_Source& source,
                                  const std::string& comment = "", std::optional<int> lead = {}) {
    TName_And_Event_Data entry;
    entry.Name = name;
    entry.Orig_Date = Day_Number_Of(year, month, day);
    entry.Event_Type = type;
    entry.Comments = comment;
    Write_Entry_Attributes(entry, {year == Year_Unknown_Placeholder, lead});
    Write_Entry_Uid(entry, "uid-" + name);
    Write_Contact_Source(entry, source);
    return entry;
}

// Each entry as one line: name, date, type, comment, lead, year-less, source.
std::vector<std::string> Lines(const std::vector<TName_And_Event_Data>& entries) {
    std::vector<std::string> lines;
    for (const auto& entry : entries) {
        const Civil_Date date = Decode_Date(entry.Orig_Date);
        const Entry_Attributes attributes = Read_Entry_Attributes(entry);
        const auto source = Read_Contact_Source(entry);
        std::string line = entry.Name + "|" + std::to_string(date.Year) + "-" +
                           std::to_string(date.Month) + "-" + std::to_string(date.Day) + "|" +
                           entry.Event_Type + "|" + entry.Comments + "|" +
                           (attributes.Own_Lead ? std::to_string(*attributes.Own_Lead) : "") +
                           (attributes.Year_Unknown ? "|no-year" : "");
        if (source) {
            line += "|" + (source->Book == Book ? std::string("book") : source->Book) + "/" +
                    source->Contact + "/" + source->Date;
        }
        if (Read_Entry_Uid(entry)) {
            line += "|" + *Read_Entry_Uid(entry);
        }
        lines.push_back(line);
    }
    return lines;
}

struct Case {
    const char* What;
    std::vector<TName_And_Event_Data> List;
    std::vector<Book_Reading> Books;
    Contacts_State Last;
    std::vector<std::string> Hidden;
    Deletions Deletions_Choice = Deletions::Apply;
    std::vector<std::string> Expected;
    int Added, Changed, Removed, Skipped;
};

TEST(Contact_Entries, EachContactDateBecomesOneEntryKeptInStepWithItsBook) {
    const Contact_Source ann_bday{Book, "ann", "bday"};
    const Contact_Source ann_wed{Book, "ann", "anniversary"};
    const Contact_Source bo_bday{Book, "bo", "bday"};
    const std::string ann_card =
        Card("ann", "Ann Berg", "BDAY:1980-04-15\r\nX-ANNIVERSARY:2005-06-01\r\n");
    const Known_Contact ann_known{
        Book + "ann.vcf", "e1", "ann", {{"bday", "Ann Berg", Day(1980, 4, 15), "Birthday", false}}};
    const Contacts_State last{{{Book, "t1", "", {ann_known}}}};
    const auto ann_entry = [&](const std::string& name, const std::string& comment = "",
                               std::optional<int> lead = {}) {
        return From_Contact(name, 1980, 4, 15, "Birthday", ann_bday, comment, lead);
    };
    const TName_And_Event_Data own = [] {
        TName_And_Event_Data entry;
        entry.Name = "Own";
        entry.Orig_Date = Day_Number_Of(1990, 1, 2);
        entry.Event_Type = "Birthday";
        return entry;
    }();

    const std::vector<Case> cases = {
        {"a new book gives each date, a year-less one too, in card order",
         {own},
         {{Book,
           {},
           "t1",
           "",
           {Member("ann", "e1", ann_card),
            Member("bo", "e2", Card("", "Bo", "BDAY:--0214\r\n", "4.0"))}}},
         {},
         {},
         Deletions::Apply,
         {"Own|1990-1-2|Birthday||", "Ann Berg|1980-4-15|Birthday|||book/ann/bday",
          "Ann Berg|2005-6-1|Wedding Anniversary|||book/ann/anniversary",
          "Bo|1604-2-14|Birthday|||no-year|book/bo.vcf/bday"},
         3,
         0,
         0,
         0},
        {"a renamed contact renames its entry, which keeps its comment, lead and UID",
         {ann_entry("Ann Berg", "gift", 7)},
         {{Book,
           {},
           "t2",
           "",
           {Member("ann", "e9", Card("ann", "Ann Lind", "BDAY:1980-04-15\r\n"))}}},
         last,
         {},
         Deletions::Apply,
         {"Ann Lind|1980-4-15|Birthday|gift|7|book/ann/bday|uid-Ann Berg"},
         0,
         1,
         0,
         0},
        {"a deleted contact removes its entries, others stay",
         {own, ann_entry("Ann Berg")},
         {{Book, {}, "t2", "", {}}},
         last,
         {},
         Deletions::Apply,
         {"Own|1990-1-2|Birthday||"},
         0,
         0,
         1,
         0},
        {"a birthday removed from the card removes its entry alone",
         {ann_entry("Ann Berg"),
          From_Contact("Ann Berg", 2005, 6, 1, "Wedding Anniversary", ann_wed)},
         {{Book,
           {},
           "t2",
           "",
           {Member("ann", "e9", Card("ann", "Ann Berg", "X-ANNIVERSARY:2005-06-01\r\n"))}}},
         last,
         {},
         Deletions::Apply,
         {"Ann Berg|2005-6-1|Wedding Anniversary|||book/ann/anniversary|uid-Ann Berg"},
         0,
         0,
         1,
         0},
        {"a hidden date is never added, and its entry is left alone",
         {From_Contact("Bo", 1970, 1, 1, "Birthday", bo_bday, "mine")},
         {{Book, {}, "t2", "", {Member("ann", "e1", ann_card)}}},
         {},
         {Hidden_Contact_Key(ann_bday), Hidden_Contact_Key(bo_bday)},
         Deletions::Apply,
         {"Bo|1970-1-1|Birthday|mine||book/bo/bday|uid-Bo",
          "Ann Berg|2005-6-1|Wedding Anniversary|||book/ann/anniversary"},
         1,
         0,
         0,
         0},
        {"an unchanged contact sets back an edit of its entry made elsewhere",
         {ann_entry("Ann B.", "note")},
         {{Book, {}, "t1", "", {Member("ann", "e1", std::nullopt)}}},
         last,
         {},
         Deletions::Apply,
         {"Ann Berg|1980-4-15|Birthday|note||book/ann/bday|uid-Ann B."},
         0,
         1,
         0,
         0},
        {"a contact the server cannot give is skipped and removes nothing",
         {ann_entry("Ann Berg"), From_Contact("Bo", 1970, 1, 1, "Birthday", bo_bday)},
         {{Book, {}, "t2", "", {{Book + "bo.vcf", "", std::nullopt, "the server failed"}}}},
         {},
         {},
         Deletions::Apply,
         {"Ann Berg|1980-4-15|Birthday|||book/ann/bday|uid-Ann Berg",
          "Bo|1970-1-1|Birthday|||book/bo/bday|uid-Bo"},
         0,
         0,
         0,
         1},
        {"a card without a date, or a garbled one, keeps what was known of the date",
         {ann_entry("Ann Berg")},
         {{Book,
           {},
           "t2",
           "",
           {Member("ann", "e9", Card("ann", "Ann Berg", "BDAY:circa 1980\r\n")),
            Member("cy", "e3", "not a card")}}},
         last,
         {},
         Deletions::Apply,
         {"Ann Berg|1980-4-15|Birthday|||book/ann/bday|uid-Ann Berg"},
         0,
         0,
         0,
         2},
        {"a book that cannot be read changes nothing",
         {ann_entry("Ann B.")},
         {{Book, "gone (404)", "", "", {}}},
         last,
         {},
         Deletions::Apply,
         {"Ann B.|1980-4-15|Birthday|||book/ann/bday|uid-Ann B."},
         0,
         0,
         0,
         0},
        {"entries of books not chosen stay as they are",
         {From_Contact("Cy", 1960, 3, 3, "Birthday", {Other_Book, "cy", "bday"})},
         {{Book, {}, "t1", "", {}}},
         {},
         {},
         Deletions::Apply,
         {"Cy|1960-3-3|Birthday|||" + Other_Book + "/cy/bday|uid-Cy"},
         0,
         0,
         0,
         0},
        {"keeping everything keeps a removed date as the list's own",
         {ann_entry("Ann Berg", "x")},
         {{Book, {}, "t2", "", {}}},
         last,
         {},
         Deletions::Keep_Everything,
         {"Ann Berg|1980-4-15|Birthday|x||uid-Ann Berg"},
         0,
         0,
         0,
         0},
        {"two cards with one UID are told apart by their resources",
         {},
         {{Book,
           {},
           "t1",
           "",
           {Member("a1", "e1", Card("same", "Al", "BDAY:1950-05-05\r\n")),
            Member("a2", "e2", Card("same", "Alma", "BDAY:1951-05-05\r\n"))}}},
         {},
         {},
         Deletions::Apply,
         {"Al|1950-5-5|Birthday|||book/same/bday", "Alma|1951-5-5|Birthday|||book/a2.vcf/bday"},
         2,
         0,
         0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const Contact_Plan plan =
            Plan_Contact_Entries(c.List, c.Books, c.Hidden, c.Last, c.Deletions_Choice);
        EXPECT_EQ(Lines(plan.Entries), c.Expected);
        EXPECT_EQ(plan.Added, c.Added);
        EXPECT_EQ(plan.Changed, c.Changed);
        EXPECT_EQ(plan.Removed, c.Removed);
        EXPECT_EQ(plan.Skipped, c.Skipped);
        EXPECT_EQ(plan.List_Changed, c.Added + c.Changed + c.Removed > 0 ||
                                         c.Deletions_Choice == Deletions::Keep_Everything);
        // What the plan keeps reads back the same, and planning again over
        // it changes nothing where every book was read.
        EXPECT_EQ(Decode_Contacts_State(Encode_Contacts_State(plan.State)), plan.State);
        if (!c.Books.front().Problem.empty()) {
            continue;
        }
        const Contact_Plan again = Plan_Contact_Entries(
            plan.Entries, Unchanged_Readings(plan.State), c.Hidden, plan.State);
        EXPECT_FALSE(again.List_Changed) << testing::PrintToString(Lines(again.Entries));
    }
}

TEST(Contact_Entries, AnEmptiedBookTripsTheGuardButAFewRemovalsDoNot) {
    Contacts_State last{{{Book, "t1", "", {}}}};
    std::vector<TName_And_Event_Data> list;
    std::vector<Book_Contact> members;
    for (int i = 0; i < 8; ++i) {
        const std::string id = "c" + std::to_string(i);
        list.push_back(From_Contact(id, 1980, 1, i + 1, "Birthday", {Book, id, "bday"}));
        last.Books[0].Contacts.push_back(
            {Book + id + ".vcf", "e", id, {{"bday", id, Day(1980, 1, i + 1), "Birthday", false}}});
        members.push_back(Member(id, "e", std::nullopt));
    }
    const Contact_Plan emptied = Plan_Contact_Entries(list, {{Book, {}, "t2", "", {}}}, {}, last);
    const auto question = Check_Contact_Deletions(emptied);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->Deleted_Here, 8);
    EXPECT_EQ(question->Local_Count, 8);
    members.resize(6);
    const Contact_Plan two_gone =
        Plan_Contact_Entries(list, {{Book, {}, "t2", "", members}}, {}, last);
    EXPECT_EQ(two_gone.Removed, 2);
    EXPECT_FALSE(Check_Contact_Deletions(two_gone));
}

TEST(Contacts_Settings, ChosenBooksAndHiddenDatesComeBackAsWrittenThroughTheFile) {
    const Contact_Source odd{Book, "uid;with;semicolons\r\nand a line", "date-2"};
    const struct {
        std::vector<std::string> Books;
        std::map<std::string, std::string> Names;
        std::vector<std::string> Hidden;
    } cases[] = {
        {{}, {}, {}},
        {{Book}, {{Book, "Family"}}, {Hidden_Contact_Key({Book, "ann", "bday"})}},
        // A book without a known name, and a name with the separator in it.
        {{Book, Other_Book},
         {{Other_Book, "Work; old = new"}},
         {Hidden_Contact_Key({Book, "ann", "anniversary"}), Hidden_Contact_Key(odd)}},
    };
    const test::Temp_Dir dir;
    for (const auto& c : cases) {
        Profile_File written;
        CalDAV_Account account;
        account.Server = "http://h/";
        account.User = "ann";
        account.Address_Books = c.Books;
        account.Address_Book_Names = c.Names;
        Write_CalDAV_Account(written, account);
        Write_Hidden_Contacts(written, c.Hidden);
        written.Save(dir.File("Tessaly.ini"));
        const Profile_File read = Profile_File::Load(dir.File("Tessaly.ini"));
        EXPECT_EQ(Read_CalDAV_Account(read).Address_Books, c.Books);
        EXPECT_EQ(Read_CalDAV_Account(read).Address_Book_Names, c.Names);
        EXPECT_EQ(Read_Hidden_Contacts(read), c.Hidden);
    }
    // The same contact's other date, or the same date of another contact,
    // is another key.
    EXPECT_NE(Hidden_Contact_Key({Book, "ann", "bday"}),
              Hidden_Contact_Key({Book, "ann", "anniversary"}));
    EXPECT_NE(Hidden_Contact_Key(odd), Hidden_Contact_Key({Book, "uid", "date-2"}));
}

TEST(Contacts_State, DamagedOrForeignTextReadsAsNoState) {
    const Contacts_State state{
        {{Book, "tok;1", "", {{Book + "a.vcf", "\"e\"", "a\tb", {{"bday", "Ä", 5, "T", true}}}}}}};
    const std::string text = Encode_Contacts_State(state);
    EXPECT_EQ(Decode_Contacts_State(text), state);
    for (const std::string& damaged :
         {std::string("Tessaly contacts 2\n"), text.substr(0, text.size() - 1),
          text.substr(0, text.find("\ncontact")) + "\ndate\tbday\tx\t1\tT\tyear\n",
          std::string("Tessaly contacts 1\ncontact\ta\te\tc\n"),
          text.substr(0, text.find("\tno-year")) + "\tmaybe\n",
          text.substr(0, text.find("\t5\t")) + "\t5x\tT\tyear\n"}) {
        EXPECT_FALSE(Decode_Contacts_State(damaged)) << damaged;
    }
}

}  // namespace
}  // namespace tessaly
