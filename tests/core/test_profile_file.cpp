#include "core/profile_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>

#include "core/errors.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

// The text in UTF-16 with its byte-order mark, as Notepad saves "Unicode".
std::string UTF16_File(std::u16string_view text, bool big_endian = false) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? high : low;
        bytes += big_endian ? low : high;
    }
    return bytes;
}

struct String_Case {
    const char* Label;
    std::string Content;
    std::optional<std::string> Expected;  // of section "Tessaly", key "Name_Edit"
};

void PrintTo(const String_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Profile_Read_String_Test : public testing::TestWithParam<String_Case> {};

TEST_P(Profile_Read_String_Test, ReadsLikeThePrivateProfileFunctions) {
    const String_Case& c = GetParam();
    EXPECT_EQ(Profile_File(c.Content).Read_String("Tessaly", "Name_Edit"), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Profile_Read_String_Test,
    testing::Values(
        String_Case{"Plain", "[Tessaly]\r\nName_Edit=Nora\r\n", "Nora"},
        String_Case{"LfOnly", "[Tessaly]\nName_Edit=Nora\n", "Nora"},
        String_Case{"NoFinalLineEnd", "[Tessaly]\nName_Edit=Nora", "Nora"},
        String_Case{"NamesIgnoreCase", "[TESSALY]\nname_edit=Nora\n", "Nora"},
        String_Case{"BlanksAroundSectionName", "  [ Tessaly ]  \nName_Edit=Nora\n", "Nora"},
        String_Case{"BlanksAroundKeyAndValue", "[Tessaly]\n\t Name_Edit \t=  Nora Vale \t\r\n",
                    "Nora Vale"},
        String_Case{"EmptyValue", "[Tessaly]\nName_Edit=\n", ""},
        String_Case{"ValueKeepsLaterEquals", "[Tessaly]\nName_Edit=a=b\n", "a=b"},
        String_Case{"DoubleQuotesRemoved", "[Tessaly]\nName_Edit=\" Nora \"\n", " Nora "},
        String_Case{"SingleQuotesRemoved", "[Tessaly]\nName_Edit='Nora'\n", "Nora"},
        String_Case{"UnmatchedQuotesKept", "[Tessaly]\nName_Edit=\"Nora'\n", "\"Nora'"},
        String_Case{"InnerQuotesKept", "[Tessaly]\nName_Edit=Nora \"V\"\n", "Nora \"V\""},
        String_Case{"LoneQuoteKept", "[Tessaly]\nName_Edit=\"\n", "\""},
        String_Case{"CommentIgnored", "[Tessaly]\n;Name_Edit=Old\nName_Edit=New\n", "New"},
        String_Case{"IndentedCommentIgnored", "[Tessaly]\n  ; Name_Edit=Old\n", std::nullopt},
        String_Case{"FirstKeyWins", "[Tessaly]\nName_Edit=First\nNAME_EDIT=Second\n", "First"},
        String_Case{"FirstSectionWins",
                    "[Tessaly]\nName_Edit=First\n[Other]\n[tessaly]\n"
                    "Name_Edit=Second\n",
                    "First"},
        String_Case{"KeyInOtherSection", "[Other]\nName_Edit=Nora\n[Tessaly]\nX=1\n", std::nullopt},
        String_Case{"KeyBeforeAnySection", "Name_Edit=Nora\n[Tessaly]\n", std::nullopt},
        String_Case{"MissingSection", "[Other]\nName_Edit=Nora\n", std::nullopt},
        String_Case{"SectionAfterOther", "[Other]\nA=1\n[Tessaly]\nName_Edit=Nora\n", "Nora"},
        String_Case{"PrefixOfKeyIsNoMatch", "[Tessaly]\nName_Edit_2=Nora\n", std::nullopt},
        String_Case{"LineWithoutEqualsIgnored", "[Tessaly]\nName_Edit\nName_Edit=Nora\n", "Nora"},
        String_Case{"BracketWithoutCloseIsNoSection", "[Tessaly]\n[Broken\nName_Edit=Nora\n",
                    "Nora"},
        String_Case{"Empty", "", std::nullopt},
        String_Case{"UTF8Mark", "\xEF\xBB\xBF[Tessaly]\r\nName_Edit=Zo\xC3\xAB\r\n", "Zo\xC3\xAB"},
        String_Case{"UTF8MarkOnlyAtStart", "[Tessaly]\n\xEF\xBB\xBFName_Edit=Nora\n", std::nullopt},
        String_Case{"UTF16LE", UTF16_File(u"[Tessaly]\r\nName_Edit=Zoë\r\n"), "Zo\xC3\xAB"},
        String_Case{"UTF16BE", UTF16_File(u" [tessaly]\nname_edit = 'Zoë' \n", true), "Zo\xC3\xAB"},
        String_Case{"UTF16SurrogatePair", UTF16_File(u"[Tessaly]\r\nName_Edit=🎂\r\n"),
                    "\xF0\x9F\x8E\x82"},
        String_Case{"UTF16NoFinalLineEnd", UTF16_File(u"[Tessaly]\r\nName_Edit=Nora", true),
                    "Nora"},
        String_Case{"UTF16LoneSurrogateReadsAsReplacement",
                    UTF16_File(u"[Tessaly]\r\nName_Edit=a\xDC00"
                               u"b\xD800\r\n"),
                    "a\xEF\xBF\xBD"
                    "b\xEF\xBF\xBD"},
        String_Case{"UTF16HighSurrogateBeforeLineEnd",
                    UTF16_File(u"[Tessaly]\r\nA=\xD800\r\nName_Edit=Nora\r\n"), "Nora"},
        String_Case{"UTF16OddLengthReadsTheRest",
                    UTF16_File(u"[Tessaly]\r\nName_Edit=Nora\r\n", true) + 'N', "Nora"},
        String_Case{"UTF16MarkOnly", UTF16_File(u""), std::nullopt},
        // Without a mark NUL bytes do not make a file UTF-16.
        String_Case{"UTF16WithoutMarkIs8Bit",
                    UTF16_File(u"[Tessaly]\r\nName_Edit=Nora\r\n").substr(2), std::nullopt}),
    [](const testing::TestParamInfo<String_Case>& param) { return param.param.Label; });

struct Integer_Case {
    const char* Label;
    std::string Value;
    int Expected;  // with default 14
};

void PrintTo(const Integer_Case& c, std::ostream* os) {
    *os << c.Label;
}

class Profile_Read_Integer_Test : public testing::TestWithParam<Integer_Case> {};

TEST_P(Profile_Read_Integer_Test, TakesDecimalOrTheDefault) {
    const Integer_Case& c = GetParam();
    const Profile_File file("[Tessaly]\r\nDays_Threshold_SpinEdit=" + c.Value + "\r\n");
    EXPECT_EQ(file.Read_Integer("Tessaly", "Days_Threshold_SpinEdit", 14), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Profile_Read_Integer_Test,
    testing::Values(
        Integer_Case{"Plain", "30", 30}, Integer_Case{"Zero", "0", 0},
        Integer_Case{"Negative", "-3000", -3000}, Integer_Case{"Plus", "+7", 7},
        Integer_Case{"LeadingZeros", "007", 7}, Integer_Case{"Blanks", "  42\t", 42},
        Integer_Case{"Quoted", "\"42\"", 42}, Integer_Case{"Max", "2147483647", INT_MAX},
        Integer_Case{"Min", "-2147483648", INT_MIN}, Integer_Case{"TooLarge", "2147483648", 14},
        Integer_Case{"TooSmall", "-2147483649", 14},
        Integer_Case{"Huge", "99999999999999999999999", 14}, Integer_Case{"Empty", "", 14},
        Integer_Case{"SignOnly", "-", 14}, Integer_Case{"DoubleSign", "--5", 14},
        Integer_Case{"SignThenPlus", "-+5", 14}, Integer_Case{"TrailingText", "12abc", 14},
        Integer_Case{"Text", "abc", 14}, Integer_Case{"Fraction", "1.5", 14},
        Integer_Case{"Hex", "0x10", 14}, Integer_Case{"InnerBlank", "1 2", 14}),
    [](const testing::TestParamInfo<Integer_Case>& param) { return param.param.Label; });

TEST(Profile_File, ReadIntegerOfMissingKeyIsDefault) {
    const Profile_File file("[Tessaly]\nOther=5\n");
    EXPECT_EQ(file.Read_Integer("Tessaly", "Days_Threshold_SpinEdit", -9), -9);
}

TEST(Profile_File, ReadBoolIsNonZeroOrDefault) {
    const Profile_File file("[Tessaly]\nA=1\nB=0\nC=-2\nD=yes\n");
    EXPECT_TRUE(file.Read_Bool("Tessaly", "A", false));
    EXPECT_FALSE(file.Read_Bool("Tessaly", "B", true));
    EXPECT_TRUE(file.Read_Bool("Tessaly", "C", false));
    EXPECT_TRUE(file.Read_Bool("Tessaly", "D", true));
    EXPECT_FALSE(file.Read_Bool("Tessaly", "D", false));
    EXPECT_TRUE(file.Read_Bool("Tessaly", "Missing", true));
}

// A writer will put back what it does not change, so the lines must hold
// every byte of the file.
TEST(Profile_File, LinesKeepEveryByte) {
    const std::string content = "; kept\r\n[Tessaly]\r\nA = \"x\" \nmixed\r\r\n\n[Other]\nB=2";
    const Profile_File file(content);
    std::string joined;
    for (const Profile_Line& line : file.Lines()) {
        joined += line.Text + line.Line_End;
    }
    EXPECT_EQ(joined, content);
    ASSERT_EQ(file.Lines().size(), 7u);
    EXPECT_EQ(file.Lines()[0].Line_Kind, Profile_Line::Kind::Comment);
    EXPECT_EQ(file.Lines()[1].Line_Kind, Profile_Line::Kind::Section);
    EXPECT_EQ(file.Lines()[2].Line_Kind, Profile_Line::Kind::Key);
    EXPECT_EQ(file.Lines()[2].Line_End, "\n");
    EXPECT_EQ(file.Lines()[3].Line_Kind, Profile_Line::Kind::Other);
    EXPECT_EQ(file.Lines()[4].Line_Kind, Profile_Line::Kind::Blank);
    EXPECT_EQ(file.Lines()[6].Line_End, "");
    EXPECT_EQ(file.Content(), content);
}

TEST(Profile_File, LoadsFileBesideExecutable) {
    test::Temp_Dir folder;
    EXPECT_EQ(Settings_File_Path(folder.Path()), folder.Path() / "Tessaly.ini");
    test::Write_Bytes(Settings_File_Path(folder.Path()),
                      "[Tessaly]\r\nDays_Threshold_SpinEdit=30\r\n");
    const Profile_File file = Profile_File::Load(Settings_File_Path(folder.Path()));
    EXPECT_EQ(file.Read_Integer(Settings_Section, "Days_Threshold_SpinEdit", 14), 30);
}

TEST(Profile_File, MissingFileReadsAsEmpty) {
    test::Temp_Dir folder;
    const Profile_File file = Profile_File::Load(folder.File("Tessaly.ini"));
    EXPECT_TRUE(file.Content().empty());
    EXPECT_EQ(file.Read_Integer(Settings_Section, "Days_Threshold_SpinEdit", 14), 14);
}

TEST(Profile_File, UnreadableFileIsAnError) {
    test::Temp_Dir folder;
    std::filesystem::create_directory(folder.File("Tessaly.ini"));
    EXPECT_THROW(Profile_File::Load(folder.File("Tessaly.ini")), File_Error);
}

TEST(Profile_File, WriteKeepsEverythingElseByteForByte) {
    Profile_File file(
        "; kept\r\n[Other]\r\nwindow_top_posn=5\r\n\r\n[TESSALY]\r\n  Name_Edit =  \"old\"  \r\n"
        "odd line\r\n\r\n[Last]\r\nx=1");
    file.Write_String("Tessaly", "name_edit", "Ann");
    file.Write_Integer("Tessaly", "window_top_posn", -3000);
    file.Write_Bool("Last", "y", true);
    file.Write_String("New", "k", "a\r\nb");
    EXPECT_EQ(
        file.Content(),
        "; kept\r\n[Other]\r\nwindow_top_posn=5\r\n\r\n[TESSALY]\r\n  Name_Edit =  Ann\r\n"
        "window_top_posn=-3000\r\nodd line\r\n\r\n[Last]\r\nx=1\r\ny=1\r\n[New]\r\nk=a  b\r\n");
    EXPECT_EQ(file.Read_String("tessaly", "NAME_EDIT"), "Ann");
    EXPECT_EQ(file.Read_Integer("Tessaly", "window_top_posn", 0), -3000);
    EXPECT_EQ(file.Read_String("Other", "window_top_posn"), "5");
}

TEST(Profile_File, AsciiTextTakesAnotherEncodingWithItsMark) {
    Profile_File utf16 = Profile_File::Of_Ascii("", Profile_Encoding::UTF16_LE);
    utf16.Write_String("Tessaly", "Name_Edit", "Zo\xC3\xAB");
    EXPECT_EQ(utf16.Content(), std::string("\xFF\xFE[\0T\0e\0s\0s\0a\0l\0y\0]\0\r\0\n\0"
                                           "N\0a\0m\0e\0_\0E\0d\0i\0t\0=\0Z\0o\0\xEB\0\r\0\n\0",
                                           54));
    EXPECT_EQ(Profile_File(utf16.Content()).Read_String("Tessaly", "Name_Edit"), "Zo\xC3\xAB");
    EXPECT_TRUE(Profile_File::Of_Ascii("", Profile_Encoding::Eight_Bit).Content().empty());
    const Profile_File converted =
        Profile_File::Of_Ascii("; note\r\n[Tessaly]\r\nA=1\r\n", Profile_Encoding::UTF16_BE);
    EXPECT_EQ(converted.Content().substr(0, 6), std::string("\xFE\xFF\0;\0 ", 6));
    EXPECT_EQ(converted.Read_Integer("Tessaly", "A", 0), 1);
    EXPECT_EQ(converted.Lines().front().Text, "; note");
}

TEST(Profile_File, WritingTheSameValueAgainChangesNothing) {
    for (const char* value : {"  Nora", "\nNora", "Nora  ", "\t", " "}) {
        Profile_File file("[Tessaly]\r\nName_Edit= old\r\n");
        file.Write_String("Tessaly", "Name_Edit", value);
        const std::string once = file.Content();
        file.Write_String("Tessaly", "Name_Edit", value);
        EXPECT_EQ(file.Content(), once) << value;
        Profile_File fresh;
        fresh.Write_String("Tessaly", "Name_Edit", value);
        const std::string first = fresh.Content();
        fresh.Write_String("Tessaly", "Name_Edit", value);
        EXPECT_EQ(fresh.Content(), first) << value;
    }
    Profile_File file("[Tessaly]\r\nName_Edit= old\r\n");
    file.Write_String("Tessaly", "Name_Edit", "  Nora");
    EXPECT_EQ(file.Content(), "[Tessaly]\r\nName_Edit= Nora\r\n");
    EXPECT_EQ(file.Read_String("Tessaly", "Name_Edit"), "Nora");
}

TEST(Profile_File, WriteToEmptyFileUsesCrLf) {
    Profile_File file;
    file.Write_Integer("Tessaly", "a", 1);
    file.Write_Integer("Tessaly", "b", 2);
    EXPECT_EQ(file.Content(), "[Tessaly]\r\na=1\r\nb=2\r\n");
}

TEST(Profile_File, SaveReplacesFileAndRefusesReadOnlyOrDirectory) {
    test::Temp_Dir folder;
    const auto path = folder.File("Tessaly.ini");
    test::Write_Bytes(path, "[Tessaly]\nx=1\n");
    Profile_File file = Profile_File::Load(path);
    file.Write_Integer("Tessaly", "x", 2);
    file.Save(path);
    EXPECT_EQ(test::Read_Bytes(path), "[Tessaly]\nx=2\n");

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    file.Write_Integer("Tessaly", "x", 3);
    EXPECT_THROW(file.Save(path), File_Error);
    EXPECT_EQ(test::Read_Bytes(path), "[Tessaly]\nx=2\n");

    std::filesystem::create_directory(folder.File("dir.ini"));
    EXPECT_THROW(file.Save(folder.File("dir.ini")), File_Error);
}

TEST(Profile_File, UTF8MarkIsKeptAndBelongsToNoLine) {
    Profile_File file("\xEF\xBB\xBF[Tessaly]\r\nName_Edit=Nora\r\n");
    EXPECT_EQ(file.Encoding(), Profile_Encoding::UTF8_With_BOM);
    ASSERT_EQ(file.Lines().size(), 2u);
    EXPECT_EQ(file.Lines()[0].Text, "[Tessaly]");
    file.Write_String("Tessaly", "Name_Edit", "Zo\xC3\xAB");
    file.Write_String("Tessaly", "Days_Threshold_SpinEdit", "30");
    EXPECT_EQ(file.Content(),
              "\xEF\xBB\xBF[Tessaly]\r\nName_Edit=Zo\xC3\xAB\r\nDays_Threshold_SpinEdit=30\r\n");

    Profile_File mark_only("\xEF\xBB\xBF");
    mark_only.Write_Integer("Tessaly", "x", 1);
    EXPECT_EQ(mark_only.Content(), "\xEF\xBB\xBF[Tessaly]\r\nx=1\r\n");
}

class Profile_UTF16_Test : public testing::TestWithParam<bool> {
protected:
    bool Big_Endian() const { return GetParam(); }
    std::string File_Of(std::u16string_view text) const { return UTF16_File(text, Big_Endian()); }
};

TEST_P(Profile_UTF16_Test, WriteKeepsEncodingMarkLineEndsAndOtherLines) {
    test::Temp_Dir folder;
    const auto path = folder.File("Tessaly.ini");
    test::Write_Bytes(path, File_Of(u"; Zoë’s settings\r\n[Other]\nx=1\r\n[TESSALY]\r\n"
                                    u"  Name_Edit =  old \r\nDays=3\r\n\r\n[Last]\r\nz=ü"));
    Profile_File file = Profile_File::Load(path);
    EXPECT_EQ(file.Encoding(),
              Big_Endian() ? Profile_Encoding::UTF16_BE : Profile_Encoding::UTF16_LE);
    EXPECT_EQ(file.Lines()[0].Text, "; Zo\xC3\xAB\xE2\x80\x99s settings");

    file.Write_String("Tessaly", "name_edit", "Zo\xC3\xAB \xF0\x9F\x8E\x82");
    file.Write_String("Tessaly", "Event", "Caf\xE9 \x80");  // Windows-1252
    file.Write_String("Last", "Note", "a\r\nb=evil\nc");
    file.Write_Integer("New", "k", -7);
    file.Save(path);

    const std::string expected = File_Of(
        u"; Zoë’s settings\r\n[Other]\nx=1\r\n[TESSALY]\r\n  Name_Edit =  Zoë 🎂\r\n"
        u"Days=3\r\nEvent=Café €\r\n\r\n[Last]\r\nz=ü\r\nNote=a  b=evil c\r\n"
        u"[New]\r\nk=-7\r\n");
    EXPECT_EQ(file.Content(), expected);
    EXPECT_EQ(test::Read_Bytes(path), expected);

    const Profile_File reread = Profile_File::Load(path);
    EXPECT_EQ(reread.Read_String("Tessaly", "Name_Edit"), "Zo\xC3\xAB \xF0\x9F\x8E\x82");
    EXPECT_EQ(reread.Read_String("Tessaly", "Event"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(reread.Read_String("Last", "Note"), "a  b=evil c");
    EXPECT_EQ(reread.Read_String("Last", "b"), std::nullopt);
    EXPECT_EQ(reread.Read_Integer("New", "k", 0), -7);
}

TEST_P(Profile_UTF16_Test, NewLinesTakeTheFilesLineEnd) {
    Profile_File file(File_Of(u"[Tessaly]\nA=1\n"));
    file.Write_Integer("Tessaly", "B", 2);
    EXPECT_EQ(file.Content(), File_Of(u"[Tessaly]\nA=1\nB=2\n"));

    Profile_File mark_only(File_Of(u""));
    mark_only.Write_Bool("Tessaly", "C", true);
    EXPECT_EQ(mark_only.Content(), File_Of(u"[Tessaly]\r\nC=1\r\n"));
}

// Code units that cannot be decoded stay as they were in every line the write
// leaves alone; a stray last byte stays last, so that new lines stay aligned.
TEST_P(Profile_UTF16_Test, DamagedFileKeepsWhatItCannotDecode) {
    const std::u16string lone_high(1, u'\xD800');
    const std::u16string lone_low(1, u'\xDC00');
    const std::string damaged =
        File_Of(u"; " + lone_low + u"x\r\n[Tessaly]" + lone_high + u"\r\nName_Edit=" + lone_high +
                u"\r\nOther=" + lone_low + u"\r\n") +
        'Q';
    Profile_File file(damaged);
    EXPECT_EQ(file.Read_String("Tessaly", "Other"), "\xEF\xBF\xBD");
    file.Write_String("Tessaly", "Name_Edit", "Nora");
    file.Write_String("Tessaly", "Added", "1");
    EXPECT_EQ(file.Content(),
              File_Of(u"; " + lone_low + u"x\r\n[Tessaly]" + lone_high +
                      u"\r\nName_Edit=Nora\r\nOther=" + lone_low + u"\r\nAdded=1\r\n") +
                  'Q');

    Profile_File stray_only(File_Of(u"") + 'Q');
    EXPECT_TRUE(stray_only.Lines().empty());
    stray_only.Write_Integer("Tessaly", "x", 1);
    EXPECT_EQ(stray_only.Content(), File_Of(u"[Tessaly]\r\nx=1\r\n") + 'Q');
}

INSTANTIATE_TEST_SUITE_P(ByteOrder, Profile_UTF16_Test, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& param) {
                             return param.param ? "BigEndian" : "LittleEndian";
                         });

}  // namespace
}  // namespace tessaly
