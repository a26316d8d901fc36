// The Data menu's exports and CSV import: the dialogs they ask for, the
// files they write, and what the list and its data file look like after.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/data_file.h"
#include "core/event_list.h"
#include "exchange/csv_exchange.h"
#include "main_form_fixture.h"
#include "ui/main/calendar_sync.h"

namespace tessaly::test {
namespace {

#if !defined(_WIN32)
// Lowers the address-space limit to what the process maps now and `spare`
// bytes more, while it lives: allocations past that fail as on a machine
// out of memory.
class Address_Space_Limit {
public:
    explicit Address_Space_Limit(std::size_t spare) {
        ::getrlimit(RLIMIT_AS, &saved_);
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit = saved_;
        limit.rlim_cur = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + spare;
        ::setrlimit(RLIMIT_AS, &limit);
    }
    ~Address_Space_Limit() { ::setrlimit(RLIMIT_AS, &saved_); }
    Address_Space_Limit(const Address_Space_Limit&) = delete;
    Address_Space_Limit& operator=(const Address_Space_Limit&) = delete;

private:
    rlimit saved_{};
};
#endif

class Main_Form_Exchange_Test : public Main_Form_Test {
protected:
    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& shown : messages.shown) {
            texts.push_back(shown.Text);
        }
        return texts;
    }

    void Import(const std::string& bytes) {
        Write_Bytes(dir.File("in.csv"), bytes);
        dialogs.Choose(dir.File("in.csv"));
        messages.shown.clear();
        form->Import_From_CSV_Menu_OptionClick();
    }
};

TEST_F(Main_Form_Exchange_Test, CalendarExportAsksForAFileWritesItAndSaysWhere) {
    Write_Data({{"Abe", 1975, 2, 3, "Birthday", "a, b"}, {"Leap", 2000, 2, 29, "Birthday", ""}});
    Start();
    dialogs.Choose(dir.File("mine.ics"));
    form->Export_To_ICalendar_Menu_OptionClick();

    ASSERT_EQ(dialogs.save_requests.size(), 1u);
    const Save_File_Request& request = dialogs.save_requests[0];
    EXPECT_EQ(request.Default_Name, "Tessaly.ics");
    EXPECT_EQ(request.Default_Suffix, "ics");
    ASSERT_FALSE(request.Filters.empty());
    EXPECT_EQ(request.Filters[0].Patterns, "*.ics");

    const std::string written = Read_Bytes(dir.File("mine.ics"));
    EXPECT_EQ(written.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(written.find("SUMMARY:Abe's Birthday\r\n"), std::string::npos);
    EXPECT_NE(written.find("DESCRIPTION:a\\, b\r\n"), std::string::npos);
    // The clock's 10:00 local time, in UTC.
    const QString stamp = clock.Now().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    EXPECT_NE(written.find("DTSTAMP:" + stamp.toStdString() + "\r\n"), std::string::npos);
    EXPECT_EQ(Texts(), std::vector<QString>{"2 entries written to\n\n" +
                                            QString::fromStdString(dir.File("mine.ics").string())});
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Information);

    // Each kind of file has its folder: the first CSV dialog opens in the
    // documents folder, the next calendar one where the last calendar went.
    EXPECT_EQ(request.Start_Folder, Documents_Folder());
    dialogs.Cancel();
    form->Export_To_CSV_Menu_OptionClick();
    EXPECT_EQ(dialogs.save_requests.back().Start_Folder, Documents_Folder());
    EXPECT_EQ(dialogs.save_requests.back().Default_Name, "Tessaly.csv");
    dialogs.Cancel();
    form->Export_To_ICalendar_Menu_OptionClick();
    EXPECT_EQ(dialogs.save_requests.back().Start_Folder, dir.Path());
    EXPECT_EQ(messages.shown.size(), 1u);
}

// The exported events ring as the synced ones do: the account's default
// alarm from the settings file, and whatever the account form set since.
TEST_F(Main_Form_Exchange_Test, CalendarExportCarriesTheAccountsDefaultAlarm) {
    Write_Data({{"Abe", 1975, 2, 3, "Birthday", ""}});
    Write_Bytes(dir.File("Tessaly.ini"), "[Calendar Sync]\r\nDefault_Alarm=3-days-before\r\n");
    Start();
    struct Step {
        std::optional<Default_Alarm> Set;  // by the account form before the export
        const char* Trigger;               // none: no alarm
    };
    const std::vector<Step> steps = {
        {std::nullopt, "TRIGGER:-P2DT15H\r\n"},
        {Default_Alarm{Default_Alarm::Kind::On_The_Day, 0}, "TRIGGER:PT9H\r\n"},
        {Default_Alarm{}, nullptr},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Trigger ? step.Trigger : "none");
        if (step.Set) {
            CalDAV_Account account = form->Calendar_Syncer->Account();
            account.Alarm = *step.Set;
            form->Calendar_Syncer->Set_Account(account);
        }
        dialogs.Choose(dir.File("mine.ics"));
        form->Export_To_ICalendar_Menu_OptionClick();
        const std::string written = Read_Bytes(dir.File("mine.ics"));
        if (step.Trigger) {
            EXPECT_NE(written.find(step.Trigger), std::string::npos) << written;
            EXPECT_NE(written.find("X-TESSALY-ALARM:default\r\n"), std::string::npos);
        } else {
            EXPECT_EQ(written.find("BEGIN:VALARM"), std::string::npos) << written;
        }
    }
}

TEST_F(Main_Form_Exchange_Test, ExportFailureIsAnErrorWithTheReasonAndEmptyListIsRefused) {
    Start();
    form->Export_To_CSV_Menu_OptionClick();
    EXPECT_TRUE(dialogs.save_requests.empty());
    EXPECT_EQ(Texts(), std::vector<QString>{"Error: There are no entries in the list to export."});

    form->List().Append().Name = "Abe";
    messages.shown.clear();
    // A folder cannot be written over.
    dialogs.Choose(dir.Path());
    form->Export_To_ICalendar_Menu_OptionClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.startsWith("Error: The list could not be exported to \"" +
                                                  QString::fromStdString(dir.Path().string()) +
                                                  "\".\n\n"))
        << messages.shown[0].Text.toStdString();
    EXPECT_GT(messages.shown[0].Text.size(), 60);
}

TEST_F(Main_Form_Exchange_Test, CsvRoundTripIntoAnEmptyListKeepsEveryByte) {
    const std::string tricky = "Smith, \"Jo\"\nline two 日本語🎂";
    Write_Data({{tricky, 1990, 12, 25, "Birthday", "c; d"}, {"Åsa", 1, 1, 1, "Founding", ""}});
    Start();
    dialogs.Choose(dir.File("list.csv"));
    form->Export_To_CSV_Menu_OptionClick();
    const std::string written = Read_Bytes(dir.File("list.csv"));
    EXPECT_EQ(written.rfind(std::string(UTF8_BOM) + "Name,Date,", 0), 0u);

    messages.answers.push_back(Message_Answer::Yes);
    form->Reset_Data_BitBtnClick();
    ASSERT_EQ(form->List().Event_Count(), 0);
    Import(written);
    EXPECT_EQ(Texts(), std::vector<QString>{"2 entries were imported and are now merged and "
                                            "sorted in the main list."});
    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    ASSERT_EQ(saved.Event_Count(), 2);
    std::vector<std::string> names = {saved.At(1).Name, saved.At(2).Name};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{tricky, "Åsa"}));
    EXPECT_EQ(Grid().Selection().top(), 1);
}

TEST_F(Main_Form_Exchange_Test, ImportReadsTheShortDateCountsBadRowsAndRefusesABadHeader) {
    Write_Data({{"Kept", 1980, 3, 1, "Birthday", ""}});
    const std::string file_before = Read_Bytes(Data());
    Start();
    Import("Comments,Event Type\r\nx,Birthday\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Kind, Message_Kind::Error);
    EXPECT_TRUE(messages.shown[0].Text.startsWith("Error: Nothing was imported.\n\n"));
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_EQ(Read_Bytes(Data()), file_before);

    // Only bad rows: nothing to save.
    Import("Name,Date\r\nAbe,31/02/1990\r\n");
    EXPECT_EQ(Texts(), std::vector<QString>{
                           "Error: No entries were imported.\n\nSkipped:\n1 row with no name, an "
                           "unreadable date or a number of fields unlike the first row's: row 2"});
    EXPECT_EQ(Read_Bytes(Data()), file_before);

    std::string text = "Name,Date\r\nAbe,03/02/1975\r\n";
    for (int i = 0; i < 7; ++i) {
        text += "Bad " + std::to_string(i) + ",\r\n";
    }
    Import(text);
    EXPECT_EQ(Texts(), std::vector<QString>{
                           "1 entry was imported and is now merged and sorted in the main list."
                           "\n\nSkipped:\n7 rows with no name, an unreadable date or a number of "
                           "fields unlike the first row's: rows 3, 4, 5, 6, 7 and 2 more"});
    EXPECT_EQ(Names(), QStringList({"Abe", "Kept"}));
    Event_List saved;
    Load_Data_From_File_ButtonClick(saved, Data());
    EXPECT_EQ(saved.Event_Count(), 2);
}

TEST_F(Main_Form_Exchange_Test, ImportCountsTheEntriesWithoutAYearAsTheContactsImportDoes) {
    Start();
    Import("Name,Date\r\nAbe,--02-14\r\nBea,1990-03-04\r\nCyd,14/05\r\nDot,\r\n");
    EXPECT_EQ(Texts(), std::vector<QString>{
                           "3 entries were imported and are now merged and sorted in the main "
                           "list, 2 of them without a year (shown without an age).\n\nSkipped:\n"
                           "1 row with no name, an unreadable date or a number of fields unlike "
                           "the first row's: row 5"});
    Import("Name,Date\r\nEve,1990-03-04\r\n");
    EXPECT_EQ(Texts(), std::vector<QString>{"1 entry was imported and is now merged and sorted "
                                            "in the main list."});
}

TEST_F(Main_Form_Exchange_Test, ImportThatRunsOutOfMemoryPartWaySaysSoAndChangesNothing) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on a process's address space to run out of";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing an allocation";
#else
    Write_Data({{"Kept", 1980, 3, 1, "Birthday", ""}});
    const std::string file_before = Read_Bytes(Data());
    Start();
    // One field as large as the file: the reader needs it whole.
    constexpr std::size_t Field_Size = 64u << 20;
    std::string csv = "Name,Date,Comments\r\nAnn,1970-07-08,\"";
    csv.append(Field_Size, 'c');
    csv += "\"\r\n";
    Write_Bytes(dir.File("in.csv"), csv);
    csv = {};
    csv.shrink_to_fit();
    dialogs.Choose(dir.File("in.csv"));
    messages.shown.clear();
    {
        // Room for the file's bytes and a little more, not for a second copy.
        const Address_Space_Limit limit(Field_Size + (8u << 20));
        form->Import_From_CSV_Menu_OptionClick();
    }
    EXPECT_EQ(Texts(), std::vector<QString>{"Error: Nothing was imported.\n\nThere is not enough "
                                            "memory to import this file. The list is as it was."});
    EXPECT_EQ(form->List().Event_Count(), 1);
    EXPECT_EQ(Names(), QStringList({"Kept"}));
    EXPECT_EQ(Read_Bytes(Data()), file_before);
#endif
}

TEST_F(Main_Form_Exchange_Test, NearlyFullListShowsTheCapacityMessageFirst) {
    Start();
    for (int i = 0; i < Event_Array_Size - 1; ++i) {
        form->List().Append().Name = "Old";
    }
    Import("Name,Date\r\nA,2000-01-01\r\nB,2000-01-01\r\n");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].Text.startsWith("Error: The event array size is limited to 500"));
    EXPECT_EQ(messages.shown[1].Text,
              "1 entry was imported and is now merged and sorted in the main list.");
    EXPECT_EQ(form->List().Event_Count(), Event_Array_Size);
}

}  // namespace
}  // namespace tessaly::test
