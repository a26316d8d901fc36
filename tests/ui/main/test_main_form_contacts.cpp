// Import of a contacts file through the Data menu: the dialog, the counts the
// user is told, and the list and its file afterwards.
#include <gtest/gtest.h>
#include <QAction>
#include <QMenu>

#include <set>
#include <string>

#include "core/data_file.h"
#include "core/event_list.h"
#include "main_form_fixture.h"
#include "test_support/system_reasons.h"

namespace tessaly::test {
namespace {

const std::string Contacts =
    "BEGIN:VCARD\r\nVERSION:2.1\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
    "BDAY:1975-03-21\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Priya Raman\nBDAY:1991-02-28\n"
    "item1.X-ABDATE:2016-04-09\nitem1.X-ABLABEL:_$!<Anniversary>!$_\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:4.0\nFN:Wren Castellane\nBDAY:--0415\n"
    "ANNIVERSARY;VALUE=text:circa 1800\nEND:VCARD\n";

class Main_Form_Contacts_Test : public Main_Form_Test {
protected:
    void Import(const std::string& bytes, const std::string& name = "contacts.vcf") {
        Write_Bytes(dir.File(name), bytes);
        dialogs.Choose(dir.File(name));
        messages.shown.clear();
        form->Import_Contacts_Menu_OptionClick();
    }
};

TEST_F(Main_Form_Contacts_Test, MixedContactsAreMergedSavedAndCounted) {
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", "kept"}});
    Start();

    // First of the exchange items, behind a separator after the other imports.
    const QList<QAction*> items = form->Data_Menu->actions();
    const auto at = items.indexOf(form->Import_Contacts_Menu_Option);
    ASSERT_GE(at, 2);
    EXPECT_EQ(items[at]->text(), "Import Con&tacts (vCard)...");
    EXPECT_TRUE(items[at - 1]->isSeparator());
    EXPECT_EQ(items[at - 2], form->Import_Data_from_Any_Other_Program_Menu_Option);
    const QList<QAction*> after{form->Import_From_CSV_Menu_Option, form->Export_To_CSV_Menu_Option,
                                form->Export_To_ICalendar_Menu_Option};
    EXPECT_EQ(items.mid(at + 1, after.size()), after);

    Import(Contacts);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const Open_File_Request& request = dialogs.requests[0];
    ASSERT_EQ(request.Filters.size(), 2u);
    EXPECT_EQ(request.Filters[0].Description, "vCard files (*.vcf *.vcard)");
    EXPECT_EQ(request.Filters[0].Patterns, "*.vcf *.vcard");
    EXPECT_EQ(request.Filters[1].Patterns, "*");
    EXPECT_EQ(request.Start_Folder, Documents_Folder());

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_EQ(messages.shown[0].Text,
              "4 entries were imported and are now merged and sorted in the main list, 1 of "
              "them without a year (shown without an age).\n\n"
              "Skipped:\n"
              "1 date that could not be read (a date in words, a month without a day, a year "
              "outside 1 to 9999, or a contact without a name): \"Wren Castellane\"");
    EXPECT_EQ(Names(), QStringList({"Bea", QString::fromUtf8("J\u00fcrgen M\u00fcller"),
                                    "Priya Raman", "Priya Raman", "Wren Castellane"}));
    EXPECT_EQ(Grid().Selection().top(), 1);
    // "--0415": shown without a year and without an age.
    EXPECT_EQ(Row(5).mid(0, 5), QStringList({"Wren Castellane", "15/04", "15/04/2027", "129", ""}));

    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    ASSERT_EQ(saved.Event_Count(), 5);
    EXPECT_EQ(saved.At(5).Spare_1, "[Tessaly/1]year=unknown");
    EXPECT_EQ(saved.At(1).Comments, "kept");
    EXPECT_EQ(saved.At(2).Name,
              "J\xC3\xBCrgen M\xC3\xBC"
              "ller");
    EXPECT_EQ(saved.At(2).Orig_Date, Day_Number_Of(1975, 3, 21));
    EXPECT_EQ(saved.At(2).Event_Type, "Birthday");
    EXPECT_EQ(std::set<std::string>({saved.At(3).Event_Type, saved.At(4).Event_Type}),
              std::set<std::string>({"Birthday", "Wedding Anniversary"}));

    // The same file again takes nothing twice.
    Import(Contacts);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].Text.startsWith("No entries were imported.\n\nSkipped:\n"));
    EXPECT_TRUE(messages.shown[0].Text.contains("\n4 entries already in the list\n"));
    EXPECT_EQ(form->List().Event_Count(), 5);
}

TEST_F(Main_Form_Contacts_Test, CancelAndFilesWithoutContactsChangeNothing) {
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", ""}});
    const std::string file_before = Read_Bytes(Data());
    Start();
    messages.shown.clear();

    dialogs.Cancel();
    form->Import_Contacts_Menu_OptionClick();
    EXPECT_TRUE(messages.shown.empty());

    Import("\"Abe\",#1975-02-03#\r\n", "CORVANE.TXT");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.contains("holds no contacts"));

    dialogs.Choose(dir.File("gone.vcf"));
    messages.shown.clear();
    form->Import_Contacts_Menu_OptionClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.contains(QString::fromStdString(Missing_File_Reason())))
        << messages.shown[0].Text.toStdString();

    EXPECT_EQ(Names(), QStringList({"Bea"}));
    EXPECT_EQ(Read_Bytes(Data()), file_before);
}

// The message names the contacts to put right in the address book, once
// each, up to ten.
TEST_F(Main_Form_Contacts_Test, UnreadableDatesNameTheirContacts) {
    const auto card = [](const std::string& name, const std::string& dates) {
        return "BEGIN:VCARD\nVERSION:3.0\n" + (name.empty() ? "" : "FN:" + name + "\n") + dates +
               "END:VCARD\n";
    };
    const std::string prefix =
        "that could not be read (a date in words, a month without a day, a year outside 1 to "
        "9999, or a contact without a name): ";
    std::string twelve;
    for (int i = 1; i <= 12; ++i) {
        twelve += card("C" + std::to_string(i), "BDAY:circa 1800\n");
    }
    const struct {
        std::string File;
        std::string Skipped;
    } cases[] = {
        {card("Ann, Lee", "BDAY:1953-10\nANNIVERSARY;VALUE=text:soon\n") +
             card("", "BDAY:1990-01-02\n") + card("Bo \xC3\x85s", "BDAY:---15\n"),
         "4 dates " + prefix + "\"Ann, Lee\", a contact without a name and \"Bo \xC3\x85s\""},
        {card("Cy", "BDAY:1990-01-02\nANNIVERSARY;VALUE=text:circa 1800\n") +
             card("Dee", "BDAY:nope\n"),
         "2 dates " + prefix + "\"Cy\" and \"Dee\""},
        {twelve, "12 dates " + prefix +
                     "\"C1\", \"C2\", \"C3\", \"C4\", \"C5\", \"C6\", \"C7\", \"C8\", \"C9\", "
                     "\"C10\" and 2 more"},
    };
    Start();
    for (const auto& c : cases) {
        Import(c.File);
        ASSERT_EQ(messages.shown.size(), 1u);
        const QString text = messages.shown[0].Text;
        const auto skipped = text.indexOf("\nSkipped:\n");
        ASSERT_GE(skipped, 0) << text.toStdString();
        EXPECT_EQ(text.mid(skipped + 10), QString::fromStdString(c.Skipped));
    }
}

TEST_F(Main_Form_Contacts_Test, FullListShowsTheCapacityMessageThenTheCounts) {
    Start();
    for (int i = 0; i < Event_Array_Size - 1; ++i) {
        form->List().Append().Name = "Old " + std::to_string(i);
    }
    Import(Contacts);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].Text.startsWith(
        "Error: The event array size is limited to 500 for this version of the program."));
    EXPECT_TRUE(messages.shown[1].Text.startsWith("1 entry was imported"));
    EXPECT_TRUE(messages.shown[1].Text.endsWith("\n3 entries that did not fit in the list"));
    EXPECT_EQ(form->List().Event_Count(), Event_Array_Size);
}

}  // namespace
}  // namespace tessaly::test
