// Contacts files as phones, mail programs and online address books write
// them, and what of their dates reaches the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/dates.h"
#include "core/entry_attributes.h"
#include "core/event_list.h"
#include "core/text_encoding.h"
#include "exchange/vcard_import.h"

namespace tessaly {
namespace {

struct Got {
    std::string Name;
    std::string Type;
    std::string Date;  // "YYYY-MM-DD", "no year" or "unreadable"

    bool operator==(const Got&) const = default;
};

void PrintTo(const Got& got, std::ostream* out) {
    *out << "{" << got.Name << " | " << got.Type << " | " << got.Date << "}";
}

std::string Date_Text(const VCard_Event& event) {
    if (event.Kind == VCard_Date_Kind::Without_Year) {
        return "no year";
    }
    if (event.Kind == VCard_Date_Kind::Unreadable) {
        return "unreadable";
    }
    const Civil_Date date = Decode_Date(event.Orig_Date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.Year, date.Month, date.Day);
    return text;
}

std::vector<Got> Read(const std::string& bytes, int* contacts = nullptr) {
    std::vector<Got> got;
    const int count = Read_VCard_Events(bytes, [&](VCard_Event&& event) {
        EXPECT_TRUE(Is_Valid_UTF8(event.Name)) << event.Name;
        got.push_back({event.Name, event.Event_Type, Date_Text(event)});
    });
    if (contacts != nullptr) {
        *contacts = count;
    }
    return got;
}

// The text with every LF made CR LF.
std::string Crlf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return out;
}

const std::string Android_Export = Crlf(
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\n"
    "TEL;CELL:+49 170 1234567\n"
    "BDAY:1975-03-21\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "N;QUOTED-PRINTABLE;CHARSET=UTF-8:=E5=B1=B1=E7=94=B0;=E5=A4=AA=E9=83=8E;;;\n"
    "FN;QUOTED-PRINTABLE;CHARSET=UTF-8:=E5=B1=B1=E7=94=B0=20=E5=A4=AA=\n"
    "=E9=83=8E\n"
    "BDAY:--06-02\n"
    "X-ANNIVERSARY:2012-10-20\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "N:Okafor;Chidi;;;\n"
    "FN:Chidi Okafor\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE:BDAY:1900-01-01 =0D=0A=\n"
    "BDAY:1901-01-01\n"
    "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgABAQAAAQ\n"
    " ABAAD/2wBDAAgGBgcGBQgHBwcJ\n"
    "\n"
    "BDAY:19800709\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Ren=E9e Dupont\n"
    "BDAY:1968-11-30\n"
    "END:VCARD\n"
    // A phone's other dates, and another of its own lines that holds no date.
    "BEGIN:VCARD\n"
    "VERSION:2.1\n"
    "FN:Anna Berg\n"
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Annie;1;;;;;;;;;;;;;\n"
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2010-06-12;1;;;;;;;;;;;;;\n"
    "X-ANDROID-CUSTOM;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:vnd.android.cursor.item/"
    "contact_event;2019-09-01;0;Tag der Einb=C3=BCrgerung;;;;;;;;;;;;\n"
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;--12-24;0;Namenstag;;;;;;;;;;;;\n"
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2001-01-01;2;;;;;;;;;;;;;\n"
    "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2003-1-1;1;;;;;;;;;;;;;\n"
    "END:VCARD\n");

const std::string Apple_Export = Crlf(
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "PRODID:-//Example Corp.//Contacts 14.0//EN\n"
    "N:Appleseed;Johnny;;;\n"
    "FN:Johnny Appleseed\n"
    "ORG:Orchard Ltd.;\n"
    "item1.EMAIL;type=INTERNET;type=pref:johnny@example.com\n"
    "BDAY;value=date:1984-05-17T00:00:00Z\n"
    "item2.X-ABDATE;type=pref:2009-09-12\n"
    "item2.X-ABLABEL:_$!<Anniversary>!$_\n"
    "ITEM3.x-abdate:2015-01-04\n"
    "item3.X-ABLabel:First Day at Orchard\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "N:Dubois;\xC3\x89milie;Anne;Dr.;PhD\n"
    "BDAY;X-APPLE-OMIT-YEAR=1604:1604-08-22\n"
    "item1.X-ABDATE:2001-06-30\n"
    "item1.X-ABLABEL:_$!<Anniversary>!$_\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "N:;;;;\n"
    "ORG:Kestrel Books;Sales\n"
    "item1.X-ABDATE:1999-10-01\n"
    "item1.X-ABLABEL:_$!<Other>!$_\n"
    "X-ABDATE:2003-03-03\n"
    "END:VCARD\n");

const std::string Google_Export =
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "FN:Priya Raman\n"
    "N:Raman;Priya;;;\n"
    "EMAIL;TYPE=INTERNET:priya@example.org\n"
    "BDAY:1991-02-28\n"
    "item1.X-ABDATE:2016-04-09\n"
    "item1.X-ABLABEL:_$!<Anniversary>!$_\n"
    "NOTE:Met at the conference\\, Lisbon\\nBrings cake\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "FN:Se\xC3\xA1n O'Brien\\, Jr.\\nsecond line\n"
    "BDAY:--1224\n"
    "item1.X-ABDATE:1990-05-05\n"
    "item1.X-ABLABEL:Graduation\\, MSc\n"
    "END:VCARD\n";

const std::string Evolution_Export =
    "BEGIN:VCARD\n"
    "VERSION:3.0\n"
    "UID:pas-id-5A1B2C3D00000001\n"
    "FN:Marta Kowalska\n"
    "N:Kowalska;Marta;;;\n"
    "X-EVOLUTION-FILE-AS:Kowalska\\, Marta\n"
    "BDAY:1979-12-03\n"
    "X-EVOLUTION-ANNIVERSARY:2005-06-18\n"
    "REV:2023-03-01T10:20:30Z\n"
    "END:VCARD\n";

const std::string Version_4_Export =
    "BEGIN:VCARD\n"
    "VERSION:4.0\n"
    "FN:Hal Ivy\n"
    "BDAY:19960415\n"
    "ANNIVERSARY:20200801T150000-0500\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:4.0\n"
    "FN;LANGUAGE=en;PID=\"1;2\":Wren\n"
    "  Castellane\n"
    "BDAY;VALUE=text:circa 1800\n"
    "ANNIVERSARY:--0415\n"
    "END:VCARD\n"
    "BEGIN:VCARD\n"
    "VERSION:4.0\n"
    "FN:Odile Ferrand\n"
    "BDAY:1953-10\n"
    "ANNIVERSARY;VALUE=date:1978-06-24\n"
    "END:VCARD\n";

TEST(VCard_Import, AndroidExportDecodesQuotedPrintableAndReadsThePhonesOwnDates) {
    int contacts = 0;
    EXPECT_EQ(Read(Android_Export, &contacts),
              (std::vector<Got>{
                  {"J\xC3\xBCrgen M\xC3\xBCller", "Birthday", "1975-03-21"},
                  {"\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E", "Birthday", "no year"},
                  {"\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E", "Wedding Anniversary",
                   "2012-10-20"},
                  // The note's soft break takes the next line into the note;
                  // the photo's continuation and the blank line end it.
                  {"Chidi Okafor", "Birthday", "1980-07-09"},
                  {"Ren\xC3\xA9"
                   "e Dupont",
                   "Birthday", "1968-11-30"},
                  {"Anna Berg", "Wedding Anniversary", "2010-06-12"},
                  {"Anna Berg", "Tag der Einb\xC3\xBCrgerung", "2019-09-01"},
                  {"Anna Berg", "Namenstag", "no year"},
                  {"Anna Berg", "Anniversary", "2001-01-01"},
                  {"Anna Berg", "Wedding Anniversary", "2003-01-01"},
              }));
    EXPECT_EQ(contacts, 5);
}

TEST(VCard_Import, AppleExportTakesLabelledDatesTimesAndNameFallbacks) {
    EXPECT_EQ(Read(Apple_Export),
              (std::vector<Got>{
                  {"Johnny Appleseed", "Birthday", "1984-05-17"},
                  {"Johnny Appleseed", "Wedding Anniversary", "2009-09-12"},
                  {"Johnny Appleseed", "First Day at Orchard", "2015-01-04"},
                  {"Dr. \xC3\x89milie Anne Dubois PhD", "Birthday", "no year"},
                  {"Dr. \xC3\x89milie Anne Dubois PhD", "Wedding Anniversary", "2001-06-30"},
                  {"Kestrel Books", "Anniversary", "1999-10-01"},
                  {"Kestrel Books", "Anniversary", "2003-03-03"},
              }));
}

TEST(VCard_Import, GoogleEvolutionAndVersion4ExportsInTheirOwnForms) {
    EXPECT_EQ(Read(Google_Export),
              (std::vector<Got>{
                  {"Priya Raman", "Birthday", "1991-02-28"},
                  {"Priya Raman", "Wedding Anniversary", "2016-04-09"},
                  {"Se\xC3\xA1n O'Brien, Jr. second line", "Birthday", "no year"},
                  {"Se\xC3\xA1n O'Brien, Jr. second line", "Graduation, MSc", "1990-05-05"},
              }));
    EXPECT_EQ(Read(Evolution_Export),
              (std::vector<Got>{{"Marta Kowalska", "Birthday", "1979-12-03"},
                                {"Marta Kowalska", "Wedding Anniversary", "2005-06-18"}}));
    EXPECT_EQ(Read(Version_4_Export),
              (std::vector<Got>{{"Hal Ivy", "Birthday", "1996-04-15"},
                                {"Hal Ivy", "Wedding Anniversary", "2020-08-01"},
                                {"Wren Castellane", "Birthday", "unreadable"},
                                {"Wren Castellane", "Wedding Anniversary", "no year"},
                                {"Odile Ferrand", "Birthday", "unreadable"},
                                {"Odile Ferrand", "Wedding Anniversary", "1978-06-24"}}));
}

TEST(VCard_Import, AnyLineEndingAndFoldingGiveTheSameEvents) {
    const std::string folded =
        "begin:vcard\nVERSION:3.0\nF\n N:Long \n\tName\nBDAY:1990-\n 01-02\nend:vcard";
    const std::vector<Got> expected = {{"Long Name", "Birthday", "1990-01-02"}};
    EXPECT_EQ(Read(folded), expected);
    EXPECT_EQ(Read(Crlf(folded)), expected);
    std::string cr = folded;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    EXPECT_EQ(Read(cr), expected);
    EXPECT_EQ(Read("\xEF\xBB\xBF" + folded), expected);

    std::string utf16 = "\xFF\xFE";
    for (const char c : folded) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Read(utf16), expected);
}

TEST(VCard_Import, EveryCharacterSetGivesValidUtf8) {
    const auto name_of = [](const std::string& fn_line) {
        const std::vector<Got> got =
            Read("BEGIN:VCARD\n" + fn_line + "\nBDAY:1990-01-02\nEND:VCARD");
        return got.empty() ? std::string("(none)") : got[0].Name;
    };
    // Windows-1252's euro sign, in files labelled with it and with ISO-8859-1.
    EXPECT_EQ(name_of("FN;CHARSET=WINDOWS-1252:\x80 Jos\xE9"), "\xE2\x82\xAC Jos\xC3\xA9");
    EXPECT_EQ(name_of("FN;CHARSET=iso-8859-1;ENCODING=QUOTED-PRINTABLE:=80 Jos=E9"),
              "\xE2\x82\xAC Jos\xC3\xA9");
    EXPECT_EQ(name_of("FN;CHARSET=US-ASCII:Jos\xE9"), "Jos\xC3\xA9");
    // Labelled as UTF-8, or not at all, but not UTF-8: read as Windows-1252.
    EXPECT_EQ(name_of("FN;CHARSET=UTF-8:Jos\xE9"), "Jos\xC3\xA9");
    EXPECT_EQ(name_of("FN:Zo\xC3\xAB \xFF"), "Zo\xC3\x83\xC2\xAB \xC3\xBF");
    EXPECT_EQ(name_of("FN;CHARSET=KOI8-R:Zo\xC3\xAB"), "Zo\xC3\xAB");
    // Controls and escaped line breaks never reach the one-line name.
    EXPECT_EQ(name_of("FN:\x01 A\x7F\\nB\\\\C\\;D "), "A B\\C;D");
    EXPECT_EQ(name_of("FN:  "), "");
}

TEST(VCard_Import, AppendSkipsWhatTheListOrTheFileAlreadyHolds) {
    Event_List list;
    TName_And_Event_Data& old = list.Append();
    old.Name = "Jos\xE9";  // read from a file written on Windows
    old.Orig_Date = Encode_Date(1970, 5, 6);
    old.Event_Type = "birthday";
    const std::string file =
        "BEGIN:VCARD\nFN:Jos\xC3\xA9\nBDAY:1970-05-06\nBDAY:1970-05-07\nEND:VCARD\n"
        "BEGIN:VCARD\nFN:Jos\xC3\xA9\nBDAY:19700507\nANNIVERSARY:1970-05-07\n"
        "BDAY:--0101\nBDAY;VALUE=text:soon\nEND:VCARD\n"
        "BEGIN:VCARD\nBDAY:1970-05-07\nEND:VCARD\n";
    const VCard_Import_Counts counts = Append_VCard_Events(list, file);
    EXPECT_EQ(counts.Contacts, 3);
    EXPECT_EQ(counts.Imported, 3);
    EXPECT_EQ(counts.Already_In_List, 2);
    EXPECT_EQ(counts.Without_Year, 1);
    // The free text and the contact without any name.
    EXPECT_EQ(counts.Unreadable, 2);
    ASSERT_EQ(list.Event_Count(), 4);
    EXPECT_EQ(list.At(2).Event_Type, "Birthday");
    EXPECT_EQ(list.At(2).Orig_Date, Encode_Date(1970, 5, 7));
    EXPECT_EQ(list.At(3).Event_Type, "Wedding Anniversary");
    EXPECT_TRUE(list.At(3).Comments.empty());
    // The birthday without a year is a year-less entry.
    EXPECT_EQ(list.At(4).Orig_Date, Year_Unknown_Date(1, 1));
    EXPECT_EQ(Read_Entry_Attributes(list.At(4)), (Entry_Attributes{true, std::nullopt}));
    EXPECT_EQ(list.At(4).Spare_1, "[Tessaly/1]year=unknown");
}

TEST(VCard_Import, EveryFormOfAMissingYearGivesAYearLessEntryOnce) {
    Event_List list;
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nBDAY:--0414\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo\r\nBDAY:--02-29\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cy\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-12-10\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Di\r\nBDAY:1604-07-01\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ed\r\nBDAY;X-APPLE-OMIT-YEAR=1900:1900-03-05\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Flo\r\nBDAY:0000-06-30\r\nEND:VCARD\r\n";
    const VCard_Import_Counts counts = Append_VCard_Events(list, file);
    EXPECT_EQ(counts.Imported, 6);
    EXPECT_EQ(counts.Without_Year, 6);
    const std::pair<int, int> days[] = {{4, 14}, {2, 29}, {12, 10}, {7, 1}, {3, 5}, {6, 30}};
    ASSERT_EQ(list.Event_Count(), 6);
    for (int position = 1; position <= 6; ++position) {
        const auto [month, day] = days[position - 1];
        EXPECT_EQ(list.At(position).Orig_Date, Year_Unknown_Date(month, day)) << position;
        EXPECT_TRUE(Read_Entry_Attributes(list.At(position)).Year_Unknown) << position;
    }
    const VCard_Import_Counts again = Append_VCard_Events(list, file);
    EXPECT_EQ(again.Imported, 0);
    EXPECT_EQ(again.Already_In_List, 6);
}

TEST(VCard_Import, FullListTakesWhatFitsAndCountsTheRest) {
    Event_List list;
    for (int i = 0; i < Event_Array_Size - 1; ++i) {
        list.Append().Name = "Old";
    }
    const VCard_Import_Counts counts = Append_VCard_Events(
        list, "BEGIN:VCARD\nFN:A\nBDAY:1990-01-01\nBDAY:1990-01-02\nBDAY:1990-01-01\nEND:VCARD");
    EXPECT_EQ(counts.Imported, 1);
    EXPECT_EQ(counts.Not_Taken, 1);
    EXPECT_EQ(counts.Already_In_List, 1);
    EXPECT_EQ(list.Event_Count(), Event_Array_Size);
}

TEST(VCard_Import, HostileShapesStayBounded) {
    int contacts = -1;
    EXPECT_TRUE(Read("", &contacts).empty());
    EXPECT_EQ(contacts, 0);
    EXPECT_TRUE(Read("FN:Nobody\nBDAY:1990-01-01\nEND:VCARD\n", &contacts).empty());
    EXPECT_EQ(contacts, 0);

    // Cut short: the last contact still counts. A contact inside another
    // lends it nothing.
    EXPECT_EQ(Read("BEGIN:VCARD\nFN:Host\nAGENT:\nBEGIN:VCARD\nFN:Agent\nBDAY:1900-01-01\n"
                   "END:VCARD\nBDAY:1990-01-01",
                   &contacts),
              (std::vector<Got>{{"Host", "Birthday", "1990-01-01"}}));
    EXPECT_EQ(contacts, 1);

    std::string many = "BEGIN:VCARD\nFN:" + std::string(1000, 'x') + "\xC3\xA9";
    for (int i = 0; i < 1000; ++i) {
        many += "\nBDAY:1990-01-01";
    }
    const std::vector<Got> got = Read(many);
    ASSERT_EQ(got.size(), 1000u);
    EXPECT_EQ(got[0].Name.size(), VCard_Longest_Name);
    EXPECT_EQ(got[VCard_Most_Dates_Per_Contact - 1].Date, "1990-01-01");
    EXPECT_EQ(got[VCard_Most_Dates_Per_Contact].Date, "unreadable");

    const std::string long_label = "BEGIN:VCARD\nFN:A\ng.X-ABDATE:1990-01-01\ng.X-ABLABEL:" +
                                   std::string(VCard_Longest_Type - 1, 'y') + "\xC3\xA9\n";
    EXPECT_EQ(Read(long_label)[0].Type, std::string(VCard_Longest_Type - 1, 'y'));
}

}  // namespace
}  // namespace tessaly
