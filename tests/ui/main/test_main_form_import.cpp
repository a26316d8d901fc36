// Import of the sibling program's file through the Data menu: what is taken,
// what stops it, and that the list and its file stay whole either way.
#include <gtest/gtest.h>

#include <string>

#include "core/data_file.h"
#include "core/event_list.h"
#include "main_form_fixture.h"
#include "test_support/system_reasons.h"

namespace tessaly::test {
namespace {

const QString Final_Message =
    " items were imported and are now merged and sorted in the main list.";

class Main_Form_Import_Test : public Main_Form_Test {
protected:
    // Imports the bytes as a file of that name beside the executable.
    void Import(const std::string& bytes, const std::string& name = "CORVANE.TXT") {
        Write_Bytes(dir.File(name), bytes);
        dialogs.Choose(dir.File(name));
        messages.shown.clear();
        form->Import_Data_From_Corvane_v15a_Menu_OptionClick();
    }

    static std::string Lines(int count, int first = 1) {
        std::string text;
        for (int i = first; i < first + count; ++i) {
            text += "\"Guest " + std::to_string(1000 + i) + "\",#1990-1-" +
                    std::to_string(1 + i % 28) + "#\r\n";
        }
        return text;
    }

    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& shown : messages.shown) {
            texts.push_back(shown.Text);
        }
        return texts;
    }
};

TEST_F(Main_Form_Import_Test, ThreeLinesAreMergedSortedSavedAndCounted) {
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", "kept"}});
    Start();
    Import("\"Cyd\",#1998-02-14#\r\n\"Abe\",#1975-2-3#,extra\r\n#2001-12-31#,\"Dot\"\r\n");

    // The dialog as it was asked for.
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const Open_File_Request& request = dialogs.requests[0];
    EXPECT_EQ(request.Caption, "Import \"Corvane v1.5a Files\" Data From :");
    ASSERT_EQ(request.Filters.size(), 1u);
    EXPECT_EQ(request.Filters[0].Description, "Corvane v1.5a Files (CORVANE.TXT)");
    EXPECT_EQ(request.Filters[0].Patterns, "CORVANE.TXT");
    EXPECT_TRUE(Has_Option(request.Options, File_Dialog_Option::Ignore_Case));
    EXPECT_EQ(request.Start_Folder, dir.Path());

    EXPECT_EQ(Texts(), std::vector<QString>{"3" + Final_Message});
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_EQ(Names(), QStringList({"Abe", "Bea", "Cyd", "Dot"}));
    EXPECT_EQ(Grid().Selection().top(), 1);
    EXPECT_EQ(Row(1)[5], "birthday");
    EXPECT_EQ(Row(1)[1], "03/02/1975");

    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    ASSERT_EQ(saved.Event_Count(), 4);
    EXPECT_EQ(saved.At(1).Name, "Abe");
    EXPECT_EQ(saved.At(1).Event_Type, "birthday");
    EXPECT_EQ(saved.At(1).Comments, "");
    EXPECT_EQ(saved.At(2).Comments, "kept");
}

TEST_F(Main_Form_Import_Test, BadLineStopsTheImportShowingWhatCameBeforeItWithoutSaving) {
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", ""}});
    const std::string file_before = Read_Bytes(Data());
    Start();
    // One final line break ends the last line; a second makes a blank line.
    Import("\"Abe\",#1975-02-03#\r\n\r\n\r\n\"Cyd\",#1998-02-14#\r\n");

    // The error as it stands, then where it stopped: the blank line.
    EXPECT_EQ(Texts(), std::vector<QString>{"'' is not a valid integer value\n\nThe import stopped "
                                            "at line 2 of the file, which reads:\n''"});
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    // The grid shows the list as it now is, so that the rows lead to the
    // entries they show.
    EXPECT_EQ(Names(), QStringList({"Abe", "Bea"}));
    EXPECT_EQ(form->List().Event_Count(), 2);
    EXPECT_EQ(Read_Bytes(Data()), file_before);

    Import("\"Eve\",#1999-02-29#\n");
    EXPECT_EQ(Texts(), std::vector<QString>{"Invalid argument to date encode\n\nThe import "
                                            "stopped at line 1 of the file, which reads:\n"
                                            "'\"Eve\",#1999-02-29#'"});
    EXPECT_EQ(form->List().Event_Count(), 2);

    // A long line is cut, and what cannot be seen is written out.
    Import("\"Ann\",#1975-02-03#\n\"Zed\tZ\",#" + std::string(200, '9') + "-1-1#\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].Text.endsWith(
        "line 2 of the file, which reads:\n'\"Zed\\x09Z\",#" + QString(71, u'9') + "...'"))
        << messages.shown[0].Text.toStdString();
}

TEST_F(Main_Form_Import_Test, SingleFinalLineBreakMakesNoBlankLineInAnyLineEnding) {
    Start();
    for (const char* line_end : {"\r\n", "\n", "\r"}) {
        Import(std::string("\"Abe\",#1975-02-03#") + line_end + "\"Bo\",#1976-02-03#" + line_end);
        EXPECT_EQ(Texts(), std::vector<QString>{"2" + Final_Message}) << line_end;
    }
    EXPECT_EQ(form->List().Event_Count(), 6);
}

TEST_F(Main_Form_Import_Test, NearlyFullListTakesWhatFitsWithoutTheCapacityMessage) {
    Start();
    for (int i = 0; i < 490; ++i) {
        form->List().Append().Name = "Old " + std::to_string(i);
    }
    Import(Lines(20));
    EXPECT_EQ(Texts(), std::vector<QString>{"10" + Final_Message});
    EXPECT_EQ(form->List().Event_Count(), Event_Array_Size);
}

TEST_F(Main_Form_Import_Test, FiveHundredLinesAreAllTakenAfterTheCapacityMessage) {
    Start();
    Import(Lines(500));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.startsWith(
        "Error: The event array size is limited to 500 for this version of the program."));
    EXPECT_EQ(messages.shown[1].Text, "500" + Final_Message);
    EXPECT_EQ(form->List().Event_Count(), 500);
    EXPECT_EQ(Grid().Row_Count(), 501);
}

TEST_F(Main_Form_Import_Test, CancelEmptyFileAndUnreadableFileChangeNothing) {
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", ""}});
    const std::string file_before = Read_Bytes(Data());
    Start();
    messages.shown.clear();

    dialogs.Cancel();
    form->Import_Data_From_Corvane_v15a_Menu_OptionClick();
    EXPECT_TRUE(messages.shown.empty());

    Import("");
    EXPECT_TRUE(messages.shown.empty());

    // Gone between the choice and the read.
    dialogs.Choose(dir.File("gone/CORVANE.TXT"));
    form->Import_Data_From_Corvane_v15a_Menu_OptionClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.contains(QString::fromStdString(dir.File("gone").string())))
        << messages.shown[0].Text.toStdString();
    EXPECT_TRUE(messages.shown[0].Text.contains(QString::fromStdString(Missing_Folder_Reason())))
        << messages.shown[0].Text.toStdString();

    EXPECT_EQ(Names(), QStringList({"Bea"}));
    EXPECT_EQ(Read_Bytes(Data()), file_before);
}

TEST_F(Main_Form_Import_Test, NamesKeepTheirBytesWhateverTheirEncoding) {
    Start();
    // "José" from a file written on Windows, and "Zoë" in UTF-8.
    Import("\"Jos\xe9\",#1970-05-06#\r\n\"Zo\xc3\xab\",#1971-05-06#\r\n", "Corvane.txt");
    EXPECT_EQ(Texts(), std::vector<QString>{"2" + Final_Message});
    EXPECT_EQ(Names(),
              QStringList({QString::fromUtf8("Jos\u00e9"), QString::fromUtf8("Zo\u00eb")}));

    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    ASSERT_EQ(saved.Event_Count(), 2);
    EXPECT_EQ(saved.At(1).Name, "Jos\xe9");
    EXPECT_EQ(saved.At(2).Name, "Zo\xc3\xab");
}

TEST_F(Main_Form_Import_Test, NulInANameStillLeavesAFileThatLoadsAndSaysWhatChanged) {
    using namespace std::string_literals;
    Write_Data({{"Bea", 1980, 3, 1, "Birthday", ""}});
    Start();
    Import("\"Bo\0b\",#1991-6-2#\r\n"s);
    EXPECT_EQ(Texts(), std::vector<QString>{
                           "1" + Final_Message +
                           "\n\n1 text held NUL or Ctrl-Z characters, which the data file cannot "
                           "hold; they became blanks."});
    Event_List saved;
    ASSERT_EQ(Load_Data_From_File_ButtonClick(saved, Data()), Load_Result::Loaded);
    ASSERT_EQ(saved.Event_Count(), 2);
    EXPECT_EQ(saved.At(2).Name, "Bo b");
}

TEST_F(Main_Form_Import_Test, OtherProgramsGetTheNoteAndNothingElse) {
    Start();
    messages.shown.clear();
    form->Import_Data_from_Any_Other_Program_Menu_OptionClick();
    EXPECT_EQ(Texts(),
              std::vector<QString>{
                  "The import of data is not currently supported / set-up from any other "
                  "programs.\n\nIf you have data that you want to convert / import into this "
                  "program (Tessaly v1.0f) then please contact this program's author to arrange "
                  "for this to happen.\n\nUnder the \"Help\" menu, select \"About\" for contact "
                  "details.\n\nBirthdays and anniversaries can also be imported from a contacts "
                  "file (vCard) or a CSV file: under the \"Data\" menu, select \"Import Contacts "
                  "(vCard)...\" or \"Import from CSV...\"."});
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);
    EXPECT_TRUE(dialogs.requests.empty());
}

}  // namespace
}  // namespace tessaly::test
