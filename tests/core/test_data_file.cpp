#include "core/data_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support/posix_files.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::File_Size_Limit;
using test::Read_Bytes;
using test::Temp_Dir;
using test::Write_Bytes;

TName_And_Event_Data Rec(std::string name, Day_Number date, std::string type,
                         std::string comments = "", std::string s1 = "", std::string s2 = "",
                         std::string s3 = "", std::string s4 = "") {
    TName_And_Event_Data entry;
    entry.Name = std::move(name);
    entry.Orig_Date = date;
    entry.Event_Type = std::move(type);
    entry.Comments = std::move(comments);
    entry.Spare_1 = std::move(s1);
    entry.Spare_2 = std::move(s2);
    entry.Spare_3 = std::move(s3);
    entry.Spare_4 = std::move(s4);
    return entry;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + end;
    }
    return bytes;
}

// The eight V1.1 lines of one entry after its name and date.
std::string Tail(std::string type = "T") {
    return Lines({type, "", "", "", "", ""});
}

void Expect_List(const Event_List& list, const std::vector<TName_And_Event_Data>& expected) {
    ASSERT_EQ(list.Event_Count(), static_cast<int>(expected.size()));
    for (int i = 1; i <= list.Event_Count(); ++i) {
        EXPECT_EQ(list.At(i), expected[static_cast<std::size_t>(i - 1)]) << "position " << i;
    }
    if (list.Event_Count() < Event_Array_Size) {
        EXPECT_EQ(list.At(list.Event_Count() + 1), TName_And_Event_Data{});
    }
}

TEST(Format_Date_Text, WritesFifteenDigitsRoundedHalfUpOnTheExactValue) {
    const struct {
        Day_Number date;
        const char* text;
    } cases[] = {
        {35840, " 3.58400000000000E+0004"},
        {46363, " 4.63630000000000E+0004"},
        {10, " 1.00000000000000E+0001"},
        {0, " 0.00000000000000E+0000"},
        {-1, "-1.00000000000000E+0000"},
        {-0.0, " 0.00000000000000E+0000"},
        {2958465, " 2.95846500000000E+0006"},
        {-693593.25, "-6.93593250000000E+0005"},
        {0.5, " 5.00000000000000E-0001"},
        // Exactly halfway: rounds up, where printf would round to even.
        {1000000.001953125, " 1.00000000195313E+0006"},
        {-1000000.001953125, "-1.00000000195313E+0006"},
        {2.0 / 3.0, " 6.66666666666667E-0001"},
        {1.0 / 3.0, " 3.33333333333333E-0001"},
        // 99999.999999999985448...: rounding up would read back as day
        // 100000, so the digits are cut.
        {99999.99999999999, " 9.99999999999999E+0004"},
        // 9.999999999999995 still rounds up within its day (the carry moves
        // into the exponent only where the day stays).
        {0.9999999999999996, " 9.99999999999999E-0001"},
        // The last representable moments of the date range stay in it.
        {2958465.999999999, " 2.95846599999999E+0006"},
        {-693593.9999999999, "-6.93593999999999E+0005"},
        {35839.9999999999, " 3.58399999999999E+0004"},
        // Where the rounding stays within the day it is kept.
        {35839.999999999985, " 3.58399999999999E+0004"},
        {35839.5000000000005, " 3.58395000000000E+0004"},
        {1e-300, " 1.00000000000000E-0300"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Format_Date_Text(c.date), c.text) << c.date;
    }
}

TEST(Parse_Date_Token, AcceptsDecimalRealsWithinTheYearRange) {
    const struct {
        const char* token;
        Day_Number date;
    } cases[] = {
        {"35840", 35840},
        {"3.584E4", 35840},
        {"3.58400000000000E+0004", 35840},
        {"-1.00000000000000E+0000", -1},
        {"+10", 10},
        {"3.584e+4", 35840},
        {".5", 0.5},
        {"5.", 5},
        {"35840.25", 35840.25},
        {"2958465", 2958465},
        {"-693593", -693593},
        {"0000000000000000000000000000000000000010", 10},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse_Date_Token(c.token), c.date) << c.token;
    }
}

TEST(Parse_Date_Token, RejectsEverythingElseAsInvalidNumericInput) {
    for (const char* token :
         {"",      "12a",     "$8C00",   "0x1p4", "0x10",      "inf", "-INF", "nan",
          "1e400", "2958466", "-693594", "1,5",   "--1",       "+-1", "e5",   ".",
          "-",     "1e",      "1e+",     "1.2.3", "3.584E4.0", "１"}) {
        try {
            Parse_Date_Token(token);
            ADD_FAILURE() << '"' << token << "\" accepted";
        } catch (const Convert_Error& error) {
            EXPECT_STREQ(error.what(), "Invalid numeric input") << token;
        }
    }
}

TEST(Format_Date_Text, DecimalPointIsAFullStopWhateverTheLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale here";
    }
    const std::string text = Format_Date_Text(0.5);
    const bool parsed = Parse_Date_Token("0.5") == 0.5;
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, " 5.00000000000000E-0001");
    EXPECT_TRUE(parsed);
}

class Data_File : public ::testing::Test {
protected:
    fs::path File() const { return dir_.File("Tessaly.dat"); }

    Load_Result Load(const std::string& bytes, const Load_Options& options = {}) {
        Write_Bytes(File(), bytes);
        return Load_Data_From_File_ButtonClick(list_, File(), options);
    }

    // A load that must fail; returns the error.
    Load_Error Failed_Load(const std::string& bytes, const Load_Options& options = {}) {
        try {
            Load(bytes, options);
        } catch (const Load_Error& error) {
            return error;
        }
        ADD_FAILURE() << "the load did not fail";
        return Load_Error("", "", std::nullopt);
    }

    std::size_t Files_In_Folder() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.Path())) {
            ++count;
        }
        return count;
    }

    Temp_Dir dir_;
    Event_List list_;
};

TEST_F(Data_File, SavesTheV11LayoutByteForByte) {
    list_.Append() = Rec("Ann", 35840, "Birthday", "note");
    list_.Append() = Rec("", -1, "", "", "s1", "s2", "s3", "s4");

    Save_Data_To_File_ButtonClick(list_, File());

    EXPECT_EQ(Read_Bytes(File()),
              Lines({"V1.1", "2", "Ann", " 3.58400000000000E+0004", "Birthday", "note", "", "", "",
                     "", "", "-1.00000000000000E+0000", "", "", "s1", "s2", "s3", "s4"}));
}

TEST_F(Data_File, SaveThenLoadKeepsEveryStoredFieldAndEveryByte) {
    const std::vector<TName_And_Event_Data> entries = {
        Rec("Zoë ☃ Ünïcode", 35840, "Birthday", "née Smith", "a", "b", "c", "d"),
        Rec("\xe9\xe8\xff\x80 Windows-1252", 46363.25, "Wedding\tAnniversary", "two\nlines"),
        Rec("", 0, "", ""),
        Rec("  blanks around  ", -693593, "V1.1", "12345", "\n", "", " ", "\x7f"),
        Rec("12345", 2958465, "\nstarts with a line feed", "ends with one\n"),
    };
    for (const auto& entry : entries) {
        list_.Append() = entry;
    }
    Save_Data_To_File_ButtonClick(list_, File());
    const std::string saved = Read_Bytes(File());

    Event_List loaded;
    ASSERT_EQ(Load_Data_From_File_ButtonClick(loaded, File()), Load_Result::Loaded);
    Expect_List(loaded, entries);

    Save_Data_To_File_ButtonClick(loaded, File());
    EXPECT_EQ(Read_Bytes(File()), saved);
}

TEST_F(Data_File, CarriageReturnAndCtrlZInATextCannotBreakTheFile) {
    list_.Append() = Rec("a\rb\x1a", 10, "T");
    list_.Append() = Rec("Bob", 20, "U", "C");
    Save_Data_To_File_ButtonClick(list_, File());

    Event_List loaded;
    Load_Data_From_File_ButtonClick(loaded, File());
    Expect_List(loaded, {Rec("a b ", 10, "T"), Rec("Bob", 20, "U", "C")});
}

struct Reading_Case {
    const char* name;
    std::string bytes;
    std::vector<TName_And_Event_Data> expected;
};

class Reading_Rules : public Data_File, public ::testing::WithParamInterface<Reading_Case> {};

TEST_P(Reading_Rules, LoadsAsTheRulesSay) {
    list_.Append() = Rec("left over from before", 1, "x");
    EXPECT_EQ(Load(GetParam().bytes), Load_Result::Loaded);
    Expect_List(list_, GetParam().expected);
}

const std::string Full_Entry = Lines({"Ann", "35840", "Birthday", "C", "1", "2", "3", "4"});
const TName_And_Event_Data Full_Rec = Rec("Ann", 35840, "Birthday", "C", "1", "2", "3", "4");

std::string V10_Fourteen() {
    std::string bytes = "14\r\n";
    for (int i = 1; i <= 14; ++i) {
        bytes += Lines({"Name " + std::to_string(i), std::to_string(i * 1000), "Type"});
    }
    return bytes;
}

std::vector<TName_And_Event_Data> V10_Fourteen_Recs() {
    std::vector<TName_And_Event_Data> recs;
    for (int i = 1; i <= 14; ++i) {
        recs.push_back(Rec("Name " + std::to_string(i), i * 1000, "Type"));
    }
    return recs;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Reading_Rules,
    ::testing::Values(
        Reading_Case{"CrLf", "V1.1\r\n1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{
            "CrAlone",
            Lines({"V1.1", "1", "Ann", "35840", "Birthday", "C", "1", "2", "3", "4"}, "\r"),
            {Full_Rec}},
        Reading_Case{"LfAloneIsText",
                     "V1.1\r\n1\r\nAnn\nBob\r\n10\r\nT\nU\r\n" + Lines({"", "", "", "", ""}),
                     {Rec("Ann\nBob", 10, "T\nU")}},
        // Without any CR in the file, LF ends the lines.
        Reading_Case{
            "LfOnlyFile", Lines({"V1.1", "1", "Ann", "10", "T"}, "\n"), {Rec("Ann", 10, "T")}},
        Reading_Case{"LfOnlyFullEntries",
                     Lines({"V1.1", "2", "Ann", "35840", "Birthday", "C", "1", "2", "3", "4", "Bob",
                            "20", "T", "", "", "", "", ""},
                           "\n"),
                     {Full_Rec, Rec("Bob", 20, "T")}},
        Reading_Case{"LfOnlyV10",
                     Lines({"2", "Ann", "35840", "Birthday", "Bob", "20", "T"}, "\n"),
                     {Rec("Ann", 35840, "Birthday"), Rec("Bob", 20, "T")}},
        // One CR anywhere and LF is text again, as in files written on Windows.
        Reading_Case{"OneCrMakesLfText", "V1.1\n1\nAnn\n10\nT\r\n", {}},
        // A UTF-8 byte-order mark before the text is no part of it.
        Reading_Case{"Utf8MarkBeforeV10",
                     "\xEF\xBB\xBF" + Lines({"1", "Ann", "10", "T"}),
                     {Rec("Ann", 10, "T")}},
        Reading_Case{"Utf8MarkBeforeV11",
                     "\xEF\xBB\xBF"
                     "V1.1\r\n1\r\n" +
                         Full_Entry,
                     {Full_Rec}},
        Reading_Case{"Utf8MarkInsideATextStays",
                     "V1.1\r\n1\r\n\xEF\xBB\xBF"
                     "Ann\r\n10\r\n" +
                         Tail(),
                     {Rec("\xEF\xBB\xBF"
                          "Ann",
                          10, "T")}},
        Reading_Case{"OneLfBelongsToTheCr",
                     "V1.1\r\n1\r\n\nAnn\r\n10\r\nT\r\r\nC\r\n\n\r\n\r\n\r\n",
                     {Rec("\nAnn", 10, "T", "", "C", "\n")}},
        Reading_Case{"CtrlZEndsTheFile",
                     "V1.1\r\n2\r\nAnn\r\n10\r\nBirth\x1a"
                     "day\r\n" +
                         Full_Entry,
                     {Rec("Ann", 10, "Birth"), Rec("", 0, "")}},
        Reading_Case{"TokensSkipControlsAndEmptyLines",
                     "V1.1\r\n\r\n \t\r\n\x01\x1f 2\r\nAnn\r\n\r\n\r\n\t 35840\r\n"s + Tail() +
                         "Bob\r\n\n20\r\n" + Tail("U"),
                     {Rec("Ann", 35840, "T"), Rec("Bob", 20, "U")}},
        Reading_Case{"RestOfATokenLineIsSkipped",
                     "V1.1\r\n1 entry\tfollows\r\nAnn\r\n35840 = 14 Feb 1998\r\n" + Tail(),
                     {Rec("Ann", 35840, "T")}},
        Reading_Case{"TokenLimits32And64",
                     "V1.1\r\n" + std::string(31, '0') + "12\r\nAnn\r\n" + std::string(62, '0') +
                         "107\r\n" + Tail(),
                     {Rec("Ann", 10, "T")}},
        Reading_Case{"EndOfFileInAText", "V1.1\r\n1\r\nAnn", {Rec("Ann", 0, "")}},
        Reading_Case{"EndOfFileAfterTheDate", "V1.1\r\n1\r\nAnn\r\n35840", {Rec("Ann", 35840, "")}},
        Reading_Case{"CountLargerThanTheEntries",
                     "V1.1\r\n3\r\n" + Full_Entry + Full_Entry,
                     {Full_Rec, Full_Rec, Rec("", 0, "")}},
        Reading_Case{"HeaderOnly", "V1.1\r\n", {}},
        Reading_Case{"FurtherLinesIgnored", "V1.1\r\n1\r\n" + Full_Entry + "junk\r\n", {Full_Rec}},
        Reading_Case{"LowerCaseHeader", "v1.1\r\n1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{"OlderHeader", "V1.0\r\n1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{"OtherHeader", "V9\r\n1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{"VAnywhereInTheFirstLine", "1 five\r\n1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{"SignedCount", "V1.1\r\n+1\r\n" + Full_Entry, {Full_Rec}},
        Reading_Case{"NegativeCount", "V1.1\r\n-3\r\n" + Full_Entry, {}},
        Reading_Case{"V10",
                     "2\r\nAnn\r\n35840\r\nBirthday\r\nBob\r\n10\r\nWedding\r\n",
                     {Rec("Ann", 35840, "Birthday"), Rec("Bob", 10, "Wedding")}},
        Reading_Case{
            "V10CountWithBlanksAndSign", " \t+1 \r\nAnn\r\n10\r\nT\r\n", {Rec("Ann", 10, "T")}},
        Reading_Case{"V10NegativeCount", "-1\r\nAnn\r\n10\r\nT\r\n", {}},
        Reading_Case{"V10Fourteen", V10_Fourteen(), V10_Fourteen_Recs()}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST_F(Data_File, V10FileIsSavedInTheV11Layout) {
    Load(V10_Fourteen());
    Save_Data_To_File_ButtonClick(list_, File());

    std::string expected = "V1.1\r\n14\r\n";
    for (int i = 1; i <= 14; ++i) {
        expected += Lines(
            {"Name " + std::to_string(i), Format_Date_Text(i * 1000), "Type", "", "", "", "", ""});
    }
    EXPECT_EQ(Read_Bytes(File()), expected);
}

class Capacity : public Data_File, public ::testing::WithParamInterface<int> {};

TEST_P(Capacity, FileOf500OrMoreEntriesIsCutTo500WithTheMessage) {
    const int in_file = GetParam();
    std::string bytes = "V1.1\r\n" + std::to_string(in_file) + "\r\n";
    for (int i = 1; i <= in_file; ++i) {
        bytes += Lines({"E" + std::to_string(i), std::to_string(i)}) + Tail();
    }
    int messages = 0;
    Load_Options options;
    options.On_Capacity_Cut = [&] { ++messages; };

    EXPECT_EQ(Load(bytes, options), Load_Result::Loaded);

    const int expected = std::min(in_file, Event_Array_Size);
    EXPECT_EQ(messages, in_file >= 500 ? 1 : 0);
    ASSERT_EQ(list_.Event_Count(), expected);
    EXPECT_EQ(list_.At(expected), Rec("E" + std::to_string(expected), expected, "T"));
}

INSTANTIATE_TEST_SUITE_P(Counts, Capacity, ::testing::Values(499, 500, 600));

const std::string Utf16_Reason =
    "The data file is UTF-16 (\"Unicode\") text, which cannot be read as it stands; save it "
    "again as ANSI or UTF-8 text.";
const std::string Nul_Reason =
    "The data file holds NUL bytes, as UTF-16 (\"Unicode\") and binary files do; only ANSI or "
    "UTF-8 text can be read.";

struct Failure_Case {
    const char* name;
    std::string bytes;
    std::string reason;
    std::vector<TName_And_Event_Data> kept;
};

class Load_Failures : public Data_File, public ::testing::WithParamInterface<Failure_Case> {};

TEST_P(Load_Failures, StopWithTheReasonAndKeepWhatWasRead) {
    list_.Append() = Rec("left over from before", 1, "x");

    const Load_Error error = Failed_Load(GetParam().bytes);

    EXPECT_EQ(error.Reason(), GetParam().reason);
    EXPECT_EQ(std::string(error.what()), GetParam().reason);
    EXPECT_FALSE(error.Kept_Copy());
    Expect_List(list_, GetParam().kept);
    EXPECT_EQ(Files_In_Folder(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Load_Failures,
    ::testing::Values(
        Failure_Case{"CountNotANumber", "V1.1\r\nabc\r\n", "Invalid numeric input", {}},
        Failure_Case{"CountNotWhole", "V1.1\r\n1.5\r\n", "Invalid numeric input", {}},
        Failure_Case{"CountHexadecimal", "V1.1\r\n$10\r\n", "Invalid numeric input", {}},
        Failure_Case{"CountOverflows", "V1.1\r\n2147483648\r\n", "Invalid numeric input", {}},
        Failure_Case{"V10CountNotWhole", "12x\r\n", "'12X' is not a valid integer value", {}},
        Failure_Case{
            "V10CountIsUpperCased", "abc 1\r\nAnn\r\n", "'ABC 1' is not a valid integer value", {}},
        Failure_Case{"EmptyFile", "", "'' is not a valid integer value", {}},
        // Only the start of a long first line is quoted, cut between characters.
        Failure_Case{"V10LongFirstLineIsCut",
                     std::string(79, 'a') + "\xC3\xA9" + std::string(5000, 'b') + "\n",
                     "'" + std::string(79, 'A') + "...' is not a valid integer value",
                     {}},
        Failure_Case{"DateOutOfRangeInSecondEntry",
                     "V1.1\r\n3\r\n" + Full_Entry + "Bob\r\n1e400\r\n" + Tail(),
                     "Invalid numeric input",
                     {Full_Rec, Rec("Bob", 0, ""), Rec("", 0, "")}},
        Failure_Case{"DateInYear10000",
                     "2\r\nAnn\r\n2958466\r\nT\r\n",
                     "Invalid numeric input",
                     {Rec("Ann", 0, ""), Rec("", 0, "")}},
        Failure_Case{"DateWithAHighBitByte",
                     "V1.1\r\n1\r\nAnn\r\n35840\xa0\r\n" + Tail(),
                     "Invalid numeric input",
                     {Rec("Ann", 0, "")}},
        // UTF-16 text would be misread byte by byte.
        Failure_Case{"Utf16LittleEndian",
                     "\xFF\xFE"
                     "V\0"
                     "1\0.\0"
                     "1\0\r\0\n\0"
                     "1\0\r\0\n\0"s,
                     Utf16_Reason,
                     {}},
        Failure_Case{"Utf16BigEndian",
                     "\xFE\xFF\0V\0"
                     "1"s,
                     Utf16_Reason,
                     {}},
        Failure_Case{"Utf16WithoutMark",
                     "1\0\r\0\n\0A\0n\0n\0\r\0\n\0"
                     "3\0"
                     "5\0"
                     "8\0"
                     "4\0"
                     "0\0\r\0\n\0"s,
                     Nul_Reason,
                     {}},
        Failure_Case{"NulInAText", "V1.1\r\n1\r\nA\0nn\r\n10\r\n"s + Tail(), Nul_Reason, {}},
        // The message shows what the line holds, invisible bytes included.
        Failure_Case{"V10FirstLineQuotesInvisibleBytesEscaped",
                     "\xEF\xBB\xBF\xEF\xBB\xBF"
                     "1\x01\x7f\r\n",
                     "'\\uFEFF1\\x01\\x7F' is not a valid integer value",
                     {}},
        Failure_Case{"V10FirstLineInWindows1252IsShownConverted",
                     "\xe9t\xe9\r\n",
                     "'\xC3\xA9T\xC3\xA9' is not a valid integer value",
                     {}},
        // The date line is empty, so the token is taken from the next line.
        Failure_Case{"DateLineEmpty",
                     "V1.1\r\n1\r\nAnn\r\n\r\nBirthday\r\n",
                     "Invalid numeric input",
                     {Rec("Ann", 0, "")}}),
    [](const auto& test_info) { return std::string(test_info.param.name); });

TEST_F(Data_File, DatesAtTheEdgesOfTheRangeReadBackAsTheSameDay) {
    for (const Day_Number date : {2958465.999999999, -693593.9999999999, 35839.99999999999}) {
        Event_List saved;
        saved.Append() = Rec("Edge", date, "T");
        Save_Data_To_File_ButtonClick(saved, File());

        ASSERT_EQ(Load_Data_From_File_ButtonClick(list_, File()), Load_Result::Loaded) << date;
        EXPECT_EQ(std::trunc(list_.At(1).Orig_Date), std::trunc(date)) << date;
    }
}

TEST_F(Data_File, LfOnlyFileIsSavedWithCrLfAndLoadsTheSame) {
    Write_Bytes(File(),
                Lines({"V1.1", "1", "Ann", "35840", "Birthday", "C", "1", "2", "3", "4"}, "\n"));
    ASSERT_EQ(Load_Data_From_File_ButtonClick(list_, File()), Load_Result::Loaded);
    Save_Data_To_File_ButtonClick(list_, File());

    EXPECT_EQ(Read_Bytes(File()),
              "V1.1\r\n1\r\nAnn\r\n 3.58400000000000E+0004\r\nBirthday\r\n"
              "C\r\n1\r\n2\r\n3\r\n4\r\n");
}

TEST_F(Data_File, MissingFileGivesAnEmptyListSilently) {
    list_.Append() = Rec("Ann", 1, "T");
    Load_Options options;
    options.Keep_Unreadable_Copy = true;
    options.On_Capacity_Cut = [] { ADD_FAILURE() << "message shown"; };

    EXPECT_EQ(Load_Data_From_File_ButtonClick(list_, File(), options), Load_Result::No_File);
    Expect_List(list_, {});
    EXPECT_EQ(Files_In_Folder(), 0u);
}

TEST_F(Data_File, FileThatCannotBeReadFailsWithTheSystemText) {
    fs::create_directory(File());
    Load_Options options;
    options.Keep_Unreadable_Copy = true;
    try {
        Load_Data_From_File_ButtonClick(list_, File(), options);
        FAIL() << "no error";
    } catch (const Load_Error& error) {
        const std::string reason = "Cannot read \"" + File().string() + "\": Is a directory";
        EXPECT_EQ(error.Reason(), reason);
        // No copy can be made of what cannot be read; the message says that
        // the file is left as it is.
        EXPECT_FALSE(error.Kept_Copy());
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(reason + "\r\n\r\n\"" + File().string() + "\" is unchanged.", 0),
                  0u)
            << message;
    }
    EXPECT_EQ(Files_In_Folder(), 1u);
}

TEST_F(Data_File, SaveFailureIsAFileErrorNamingTheFile) {
    Write_Bytes(dir_.File("plain"), "x");
    const fs::path file = dir_.File("plain") / "Tessaly.dat";
    try {
        Save_Data_To_File_ButtonClick(list_, file);
        FAIL() << "no error";
    } catch (const File_Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save \"" + file.string() + "\": Not a directory");
    }
}

class Unreadable_Copy : public Data_File {
protected:
    Unreadable_Copy() { options_.Keep_Unreadable_Copy = true; }

    fs::path Copy_Name(const std::string& suffix = "") const {
        return dir_.File("Tessaly.dat.unreadable" + suffix);
    }

    Load_Options options_;
    const std::string bad_ = "V1.1\r\n2\r\n" + Full_Entry + "Bob\r\nnot a date\r\n\x1a\xff tail";
};

TEST_F(Unreadable_Copy, FailedLoadKeepsTheBytesAsideAndSaysWhere) {
    const Load_Error error = Failed_Load(bad_, options_);

    ASSERT_EQ(error.Kept_Copy(), Copy_Name());
    EXPECT_EQ(Read_Bytes(Copy_Name()), bad_);
    EXPECT_EQ(error.Reason(), "Invalid numeric input");
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Invalid numeric input\r\n\r\n", 0), 0u) << message;
    EXPECT_NE(message.find('"' + Copy_Name().string() + '"'), std::string::npos) << message;
    // The list is as without the option.
    Expect_List(list_, {Full_Rec, Rec("Bob", 0, "")});

    // A later save replaces the data file, never the copy.
    Save_Data_To_File_ButtonClick(list_, File());
    EXPECT_EQ(Read_Bytes(Copy_Name()), bad_);
}

TEST_F(Unreadable_Copy, FailureAtTheFirstLineIsKeptToo) {
    const Load_Error error = Failed_Load("12x\r\nAnn\r\n", options_);
    EXPECT_EQ(error.Reason(), "'12X' is not a valid integer value");
    ASSERT_EQ(error.Kept_Copy(), Copy_Name());
    EXPECT_EQ(Read_Bytes(Copy_Name()), "12x\r\nAnn\r\n");
}

TEST_F(Unreadable_Copy, SameBytesReuseTheCopyAndOtherCopiesAreNeverReplaced) {
    Write_Bytes(Copy_Name(), "an older copy");

    EXPECT_EQ(Failed_Load(bad_, options_).Kept_Copy(), Copy_Name("-2"));
    EXPECT_EQ(Failed_Load(bad_, options_).Kept_Copy(), Copy_Name("-2"));
    EXPECT_EQ(Failed_Load(bad_ + "x", options_).Kept_Copy(), Copy_Name("-3"));

    EXPECT_EQ(Read_Bytes(Copy_Name()), "an older copy");
    EXPECT_EQ(Read_Bytes(Copy_Name("-2")), bad_);
    EXPECT_EQ(Read_Bytes(Copy_Name("-3")), bad_ + "x");
    EXPECT_EQ(Files_In_Folder(), 4u);
}

TEST_F(Unreadable_Copy, CopyThatCannotBeMadeIsSaidAndTheFileStays) {
    Write_Bytes(File(), bad_);
    Load_Error error("", "", std::nullopt);
    try {
        File_Size_Limit limit(8);
        Load_Data_From_File_ButtonClick(list_, File(), options_);
        FAIL() << "no error";
    } catch (const Load_Error& caught) {
        error = caught;
    }
    EXPECT_FALSE(error.Kept_Copy());
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Invalid numeric input\r\n\r\n", 0), 0u) << message;
    EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    EXPECT_EQ(Read_Bytes(File()), bad_);
    EXPECT_EQ(Files_In_Folder(), 1u);
}

TEST_F(Unreadable_Copy, FileThatCannotBeReadAtAllIsNotCopiedAndStays) {
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    Load_Error error("", "", std::nullopt);
    try {
        Load_Data_From_File_ButtonClick(list_, File(), options_);
        FAIL() << "no error";
    } catch (const Load_Error& caught) {
        error = caught;
    }
    EXPECT_FALSE(error.Kept_Copy());
    EXPECT_EQ(std::string(error.what()),
              "Cannot read \"" + File().string() + "\": not a regular file\r\n\r\n\"" +
                  File().string() +
                  "\" is unchanged.\r\n\r\nIt is not written over until it can be read again; "
                  "after mending it, use \"Undo Recent Delete(s) / Reset(s) - Reload Data from "
                  "File\" in the Data menu.");
    EXPECT_EQ(Files_In_Folder(), 1u);
}

TEST_F(Unreadable_Copy, SuccessfulLoadMakesNoCopy) {
    EXPECT_EQ(Load("V1.1\r\n1\r\n" + Full_Entry, options_), Load_Result::Loaded);
    EXPECT_EQ(Files_In_Folder(), 1u);
}

}  // namespace
}  // namespace tessaly
