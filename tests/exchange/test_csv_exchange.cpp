// The CSV exchange: the export's quoting and values, the reader's handling
// of what spreadsheets write, and an import that takes good rows and counts
// the rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/field_limits.h"
#include "core/short_date_reader.h"
#include "exchange/csv_exchange.h"

namespace tessaly {
namespace {

const Day_Number Today = Day_Number_Of(2026, 12, 7);

TName_And_Event_Data& Add(Event_List& list, std::string name, int y, int m, int d,
                          std::string type = "Birthday", std::string comments = "") {
    TName_And_Event_Data& entry = list.Append();
    entry.Name = std::move(name);
    entry.Orig_Date = Day_Number_Of(y, m, d);
    entry.Event_Type = std::move(type);
    entry.Comments = std::move(comments);
    return entry;
}

TEST(CSV_Export, HeaderQuotingAndTheGridsValues) {
    Event_List list;
    Add(list, "Smith, \"Jo\"", 1990, 12, 25, "Birthday", "line one\nline two");
    Add(list, "Leap", 2000, 2, 29, "Wedding Anniversary");
    // Bytes written on Windows come out as UTF-8.
    Add(list, "Caf\xE9", 2027, 1, 1, "", "cr\rend");
    // Stale derived values: the export computes its own for the day.
    list.At(1).Days_Left = 99;

    EXPECT_EQ(
        Export_CSV(list, Today, false),
        "Name,Date,Event Type,Comments,Next Event,Days Left,Age Next\r\n"
        "\"Smith, \"\"Jo\"\"\",1990-12-25,Birthday,\"line one\nline two\",2026-12-25,18,36\r\n"
        "Leap,2000-02-29,Wedding Anniversary,,2027-02-28,83,27\r\n"
        "Café,2027-01-01,,\"cr\rend\",2027-01-01,25,0\r\n");
    EXPECT_EQ(Export_CSV(Event_List{}, Today, true),
              "\xEF\xBB\xBFName,Date,Event Type,Comments,Next Event,Days Left,Age Next\r\n");
}

TEST(CSV_Parse, QuotesLineBreaksAndRowNumbers) {
    const std::vector<CSV_Record> records = Parse_CSV(
        "\xEF\xBB\xBF"
        "a,\"b,\"\"c\"\"\r\nd\"\r\n\r\n,\n\"x\"y,z\"w\rlast\"open,");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].Fields, (std::vector<std::string>{"a", "b,\"c\"\r\nd"}));
    EXPECT_EQ(records[0].Row, 1);
    // The blank line still counts as a row, as a spreadsheet shows it.
    EXPECT_EQ(records[1].Fields, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(records[1].Row, 3);
    // Text after a closing quote and a quote inside a field stand as written.
    EXPECT_EQ(records[2].Fields, (std::vector<std::string>{"xy", "z\"w"}));
    EXPECT_EQ(records[3].Fields, (std::vector<std::string>{"last\"open", ""}));
    EXPECT_FALSE(records[3].Unterminated);

    const std::vector<CSV_Record> open = Parse_CSV("a\r\n\"never closed,\r\nb");
    ASSERT_EQ(open.size(), 2u);
    EXPECT_TRUE(open[1].Unterminated);
    EXPECT_TRUE(Parse_CSV("").empty());
    EXPECT_TRUE(Parse_CSV("\r\n\n").empty());
}

TEST(CSV_Import, ExportedListComesBackByteForByte) {
    Event_List list;
    Add(list, "Smith, \"Jo\"\nsecond line", 1990, 12, 25, "Birthday", "a\nb");
    Add(list, "日本語 🎂 Åsa", 1, 1, 1, "Founding", "semi; colon");
    Add(list, "Leap", 2000, 2, 29, "Wedding Anniversary");
    Add(list, "End", 9999, 12, 31, "Deadline", "\"quoted\"");

    Event_List imported;
    const CSV_Import_Result result = Import_CSV(imported, Export_CSV(list, Today, true), {});
    EXPECT_EQ(result.Header_Error, "");
    EXPECT_EQ(result.Imported, 4);
    EXPECT_EQ(result.Skipped, 0);
    ASSERT_EQ(imported.Event_Count(), 4);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(imported.At(i).Name, list.At(i).Name);
        EXPECT_EQ(imported.At(i).Orig_Date, list.At(i).Orig_Date);
        EXPECT_EQ(imported.At(i).Event_Type, list.At(i).Event_Type);
        EXPECT_EQ(imported.At(i).Comments, list.At(i).Comments);
    }
}

TEST(CSV_Exchange, YearLessDatesGoOutAsMonthAndDayAndComeBackYearLess) {
    Event_List list;
    TName_And_Event_Data& leap = Add(list, "Ann", 1604, 2, 29);
    leap.Spare_2 = "[Tessaly/1]year=unknown";
    Add(list, "Bo", 1604, 4, 14);  // no mark: a year like any other
    const std::string exported = Export_CSV(list, Today, false);
    EXPECT_EQ(exported,
              "Name,Date,Event Type,Comments,Next Event,Days Left,Age Next\r\n"
              "Ann,--02-29,Birthday,,2027-02-28,83,\r\n"
              "Bo,1604-04-14,Birthday,,2027-04-14,128,423\r\n");

    const Date_Reader local = [](std::string_view text) {
        return Read_Short_Date("%d/%m/%Y", text);
    };
    const Date_Reader local_without_year = [](std::string_view text) {
        return Read_Short_Date_Without_Year("%d/%m/%Y", text);
    };
    Event_List imported;
    const CSV_Import_Result result =
        Import_CSV(imported, exported + "Cy,14/04,,,,,\r\nDi,--13-01,,,,,\r\nEd,31/04,,,,,\r\n",
                   local, local_without_year);
    EXPECT_EQ(result.Imported, 3);
    EXPECT_EQ(result.First_Skipped_Rows, (std::vector<int>{5, 6}));
    ASSERT_EQ(imported.Event_Count(), 3);
    const Entry_Attributes year_less{true, std::nullopt};
    EXPECT_EQ(imported.At(1).Orig_Date, Year_Unknown_Date(2, 29));
    EXPECT_EQ(Read_Entry_Attributes(imported.At(1)), year_less);
    EXPECT_EQ(Read_Entry_Attributes(imported.At(2)), Entry_Attributes{});
    EXPECT_EQ(imported.At(3).Orig_Date, Year_Unknown_Date(4, 14));
    EXPECT_EQ(Read_Entry_Attributes(imported.At(3)), year_less);
}

TEST(CSV_Import, ColumnsByNameAndBadRowsSkippedAndCounted) {
    Event_List list;
    Add(list, "Kept", 1980, 1, 1);
    const Date_Reader local = [](std::string_view text) {
        return Read_Short_Date("%d/%m/%Y", text);
    };
    const std::string text =
        " comments ,AGE NEXT, date ,Extra,NAME,event type\r\n"   // row 1
        "hello,99,1975-02-03,x,Abe,Wedding\r\n"                  // 2: taken
        ",,14/02/1998,,Bea,\r\n"                                 // 3: taken, Birthday
        ",,1999-02-29,,Cyd,\r\n"                                 // 4: no such day
        ",,1999-01-01,,  ,\r\n"                                  // 5: blank name
        ",,1999-01-01,Dot,\r\n"                                  // 6: five fields
        ",,not a date,,Eve,\r\n"                                 // 7: bad date
        "\"multi\nline\",,2001-05-06,,\"Fay\r\nFox\",Party\r\n"  // 8: taken
        ",,31/12/2001,,Gus,\r\n"                                 // 9: taken
        ",,1999-01-01,,Hal,\r\n"                                 // 10: taken
        ",,13/13/2001,,Ida,\r\n"                                 // 11: bad date
        ",,2001-01-01,,\"Jo";                                    // 12: unterminated
    const CSV_Import_Result result = Import_CSV(list, text, local);
    EXPECT_EQ(result.Imported, 5);
    EXPECT_EQ(result.Skipped, 6);
    EXPECT_EQ(result.First_Skipped_Rows, (std::vector<int>{4, 5, 6, 7, 11}));
    EXPECT_FALSE(result.Had_Too_Many);
    ASSERT_EQ(list.Event_Count(), 6);
    EXPECT_EQ(list.At(2).Name, "Abe");
    EXPECT_EQ(list.At(2).Event_Type, "Wedding");
    EXPECT_EQ(list.At(2).Comments, "hello");
    EXPECT_EQ(list.At(3).Orig_Date, Day_Number_Of(1998, 2, 14));
    EXPECT_EQ(list.At(3).Event_Type, "Birthday");
    // Line breaks become LF, which the data file keeps.
    EXPECT_EQ(list.At(4).Name, "Fay\nFox");
    EXPECT_EQ(list.At(4).Comments, "multi\nline");
    EXPECT_EQ(list.At(5).Orig_Date, Day_Number_Of(2001, 12, 31));
}

TEST(CSV_Import, SemicolonAndTabFilesAreReadWhereOnlyTheyNameTheColumns) {
    const Date_Reader local = [](std::string_view text) {
        return Read_Short_Date("%d.%m.%Y", text);
    };
    // As a spreadsheet set to German saves it: commas are text there.
    Event_List list;
    CSV_Import_Result result =
        Import_CSV(list,
                   "\xEF\xBB\xBFName;Date;Event Type;Comments\r\n"
                   "M\xC3\xBCller, J\xC3\xBCrgen;21.03.1975;;\"1,5 m; gro\xC3\x9F\"\r\n"
                   "Ada;1990-01-02;Wedding;\r\n",
                   local);
    EXPECT_EQ(result.Header_Error, "");
    EXPECT_EQ(result.Imported, 2);
    ASSERT_EQ(list.Event_Count(), 2);
    EXPECT_EQ(list.At(1).Name, "M\xC3\xBCller, J\xC3\xBCrgen");
    EXPECT_EQ(list.At(1).Orig_Date, Day_Number_Of(1975, 3, 21));
    EXPECT_EQ(list.At(1).Comments, "1,5 m; gro\xC3\x9F");
    EXPECT_EQ(list.At(2).Event_Type, "Wedding");

    // A table copied from a spreadsheet.
    result = Import_CSV(list, "Date\tName\r\n1991-04-05\tBo; Cy\r\n", {});
    EXPECT_EQ(result.Imported, 1);
    EXPECT_EQ(list.At(3).Name, "Bo; Cy");

    // Where the commas give the columns, a semicolon is text, even when
    // splitting at it would give them too.
    result = Import_CSV(list, "Name,Date,Comments\r\nEd;Name;Date,1992-01-01,a;b\r\n", {});
    EXPECT_EQ(result.Imported, 1);
    EXPECT_EQ(list.At(4).Name, "Ed;Name;Date");
    EXPECT_EQ(list.At(4).Comments, "a;b");
}

TEST(CSV_Import, HeaderWithoutRequiredColumnsChangesNothing) {
    Event_List list;
    Add(list, "Kept", 1980, 1, 1);
    for (const char* text : {"", "Name,Comments\r\nAbe,x\r\n", "Date\r\n1990-01-01\r\n",
                             "Abe,1990-01-01\r\nBea,1991-01-01\r\n", "Name;Comments\r\n",
                             "Name|Date\r\nAbe|1990-01-01\r\n"}) {
        const CSV_Import_Result result = Import_CSV(list, text, {});
        EXPECT_FALSE(result.Header_Error.empty()) << text;
        EXPECT_EQ(result.Imported, 0);
    }
    EXPECT_EQ(Import_CSV(list, "Abe,1990-01-01\r\n", {}).Header_Error,
              "The first row of the file must name the columns, and it has no \"Name\" and "
              "\"Date\" column.");
    // The message speaks of the separator that found the most.
    EXPECT_EQ(Import_CSV(list, "Name;Comments\r\n", {}).Header_Error,
              "The first row of the file must name the columns, and it has no \"Date\" column.");
    EXPECT_EQ(list.Event_Count(), 1);
}

TEST(CSV_Import, FullListTakesWhatFitsAndSaysSo) {
    Event_List list;
    for (int i = 0; i < Event_Array_Size - 1; ++i) {
        Add(list, "Old", 1980, 1, 1);
    }
    const CSV_Import_Result result =
        Import_CSV(list, "Name,Date\r\nA,1990-01-01\r\nB,bad\r\nC,1990-01-01\r\n", {});
    EXPECT_EQ(result.Imported, 1);
    EXPECT_EQ(result.Skipped, 1);
    EXPECT_TRUE(result.Had_Too_Many);
    EXPECT_EQ(list.Event_Count(), Event_Array_Size);
    EXPECT_EQ(list.At(Event_Array_Size).Name, "A");
}

TEST(CSV_Import, NonUTF8BytesAreKeptAsWritten) {
    Event_List list;
    Import_CSV(list, "Name,Date\r\nCaf\xE9,1990-01-01\r\n", {});
    ASSERT_EQ(list.Event_Count(), 1);
    EXPECT_EQ(list.At(1).Name, "Caf\xE9");
}

TEST(CSV_Export, TextsASpreadsheetWouldRunAreMarkedAndOurImportTakesTheMarkOff) {
    Event_List list;
    const std::vector<std::string> texts = {"=HYPERLINK(\"http://x\")",
                                            "+1",
                                            "-2",
                                            "@SUM(A1)",
                                            "\tTab",
                                            "'=already",
                                            "''@two",
                                            "'plain",
                                            "a=b",
                                            "Ann"};
    for (const std::string& text : texts) {
        Add(list, text, 1990, 1, 2, text, text);
    }
    const std::string csv = Export_CSV(list, Today, false);
    EXPECT_NE(csv.find("\r\n\"'=HYPERLINK(\"\"http://x\"\")\",1990-01-02,"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\n'+1,1990-01-02,'+1,'+1,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'@SUM(A1),"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'\tTab,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n''=already,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'''@two,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n'plain,1990-01-02,'plain,'plain,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\na=b,"), std::string::npos) << csv;
    // Nothing a spreadsheet runs is left at the start of a cell.
    for (const CSV_Record& record : Parse_CSV(csv)) {
        for (const std::string& field : record.Fields) {
            EXPECT_TRUE(field.empty() || std::string("=+@\t\r").find(field[0]) == std::string::npos)
                << field;
        }
    }

    Event_List back;
    ASSERT_EQ(Import_CSV(back, csv, {}).Imported, static_cast<int>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const TName_And_Event_Data& entry = back.At(static_cast<int>(i) + 1);
        EXPECT_EQ(entry.Name, texts[i]);
        EXPECT_EQ(entry.Event_Type, texts[i]);
        EXPECT_EQ(entry.Comments, texts[i]);
    }

    // Another program's file is taken as it stands.
    Event_List other;
    Import_CSV(other, "Name,Date\r\n'=x,1990-01-02\r\n", {});
    EXPECT_EQ(other.At(1).Name, "'=x");
}

TEST(CSV_Import, TextsAreMadeStorableAndTheChangesCounted) {
    using namespace std::string_literals;
    const std::string huge(Longest_Field + 100, 'c');
    const std::string csv = "Name,Date,Comments\r\n\"Da\0ve\",1970-07-08,\""s + huge +
                            "\"\r\n\"Two\r\nLines\",1970-07-09,\"x\x1ay\"\r\n"
                            "\"\0\0\",1970-07-10,blank once stored\r\n"s;
    Event_List list;
    const CSV_Import_Result result = Import_CSV(list, csv, {});
    ASSERT_EQ(result.Imported, 2);
    EXPECT_EQ(list.At(1).Name, "Da ve");
    EXPECT_EQ(list.At(1).Comments, std::string(Longest_Field, 'c'));
    EXPECT_EQ(list.At(2).Name, "Two\nLines");
    EXPECT_EQ(list.At(2).Comments, "x y");
    EXPECT_EQ(result.Repairs.Blanked, 2);
    EXPECT_EQ(result.Repairs.Shortened, 1);
    EXPECT_EQ(result.First_Skipped_Rows, std::vector<int>{4});
}

TEST(CSV_Reader, ReadsRecordByRecordAsTheWholeParseDoes) {
    const std::string text =
        "\xEF\xBB\xBF"
        "a,\"b\r\nc\",\"d\"\"e\"\r\n\r\n\r\nf;g,\"unclosed\r\nh";
    const std::vector<CSV_Record> whole = Parse_CSV(text);
    CSV_Reader reader(text, ',');
    CSV_Record record;
    std::size_t i = 0;
    while (reader.Next(record)) {
        ASSERT_LT(i, whole.size());
        EXPECT_EQ(record.Fields, whole[i].Fields);
        EXPECT_EQ(record.Row, whole[i].Row);
        EXPECT_EQ(record.Unterminated, whole[i].Unterminated);
        ++i;
    }
    EXPECT_EQ(i, 2u);
    EXPECT_EQ(whole[0].Fields, (std::vector<std::string>{"a", "b\r\nc", "d\"e"}));
    EXPECT_EQ(whole[1].Row, 4);
    EXPECT_TRUE(whole[1].Unterminated);
}

}  // namespace
}  // namespace tessaly
