#include "exchange/vcard_import.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/entry_attributes.h"
#include "core/text_encoding.h"
#include "exchange/vcard_dates.h"

namespace tessaly {

namespace {

// ---- Lines ----------------------------------------------------------------

// The physical lines of the content, one at a time: a vector of them would
// cost more than the file itself for a file of short lines.
class Line_Cursor {
public:
    explicit Line_Cursor(std::string_view content) : rest_(content) {}

    bool At_End() const { return at_end_; }

    std::string_view Peek() const { return Split().first; }

    std::string_view Next() {
        const auto [line, after] = Split();
        if (after == std::string_view::npos) {
            at_end_ = true;
            rest_ = {};
        } else {
            rest_.remove_prefix(after);
        }
        return line;
    }

private:
    // The line and where the next one starts (npos: this is the last).
    std::pair<std::string_view, std::size_t> Split() const {
        std::size_t stop = 0;
        while (stop < rest_.size() && rest_[stop] != '\r' && rest_[stop] != '\n') {
            ++stop;
        }
        if (stop == rest_.size()) {
            return {rest_, std::string_view::npos};
        }
        std::size_t after = stop + 1;
        if (rest_[stop] == '\r' && after < rest_.size() && rest_[after] == '\n') {
            ++after;
        }
        // A final line break makes no empty last line.
        return {rest_.substr(0, stop), after == rest_.size() ? std::string_view::npos : after};
    }

    std::string_view rest_;
    bool at_end_ = false;
};

bool Is_Blank(char c) {
    return c == ' ' || c == '\t';
}

std::string Upper(std::string_view text) {
    return Ascii_Upper_Case(text);
}

// Where the property's name and parameters end: the first colon outside
// double quotes; npos when there is none.
std::size_t Value_Start(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool Head_Says_Quoted_Printable(std::string_view line) {
    const std::size_t colon = Value_Start(line);
    if (colon == std::string_view::npos) {
        return false;
    }
    return Upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

// One logical line: continuation lines (starting with a blank) joined on,
// and for quoted-printable values the lines after a soft break ("=" at the
// end).
std::string Next_Logical_Line(Line_Cursor& lines) {
    std::string line(lines.Next());
    // Decided on the first physical line: scanning the whole joined line
    // again for every soft break would be quadratic.
    const bool quoted_printable = Head_Says_Quoted_Printable(line);
    while (!lines.At_End()) {
        const std::string_view next = lines.Peek();
        if (quoted_printable && !line.empty() && line.back() == '=') {
            line.pop_back();
            line += next;
        } else if (!next.empty() && Is_Blank(next.front())) {
            line += next.substr(1);
        } else {
            break;
        }
        lines.Next();
    }
    return line;
}

// ---- Properties -----------------------------------------------------------

struct Property {
    std::string Group;  // upper case, may be empty
    std::string Name;   // upper case
    bool Quoted_Printable = false;
    std::string Charset;  // upper case, may be empty
    bool Text_Value = false;
    std::optional<int> Omitted_Year;
    std::string_view Raw_Value;
};

// The parameter's value without its double quotes.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

void Apply_Parameter(Property& property, std::string_view parameter) {
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) {
        // vCard 2.1 names some parameters by their value alone.
        if (Upper(parameter) == "QUOTED-PRINTABLE") {
            property.Quoted_Printable = true;
        }
        return;
    }
    const std::string key = Upper(parameter.substr(0, equals));
    const std::string_view value = Unquoted(parameter.substr(equals + 1));
    if (key == "ENCODING") {
        property.Quoted_Printable = Upper(value) == "QUOTED-PRINTABLE";
    } else if (key == "CHARSET") {
        property.Charset = Upper(value);
    } else if (key == "VALUE") {
        property.Text_Value = Upper(value) == "TEXT";
    } else if (key == "X-APPLE-OMIT-YEAR") {
        property.Omitted_Year = Decimal_Value(value, 4);
    }
}

std::optional<Property> Parse_Property(std::string_view line) {
    const std::size_t colon = Value_Start(line);
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    Property property;
    property.Raw_Value = line.substr(colon + 1);
    std::string_view head = line.substr(0, colon);
    bool first = true;
    while (true) {
        bool quoted = false;
        std::size_t stop = 0;
        while (stop < head.size() && (quoted || head[stop] != ';')) {
            quoted ^= head[stop] == '"';
            ++stop;
        }
        const std::string_view part = head.substr(0, stop);
        if (first) {
            const std::size_t dot = part.rfind('.');
            if (dot != std::string_view::npos) {
                property.Group = Upper(part.substr(0, dot));
            }
            property.Name = Upper(dot == std::string_view::npos ? part : part.substr(dot + 1));
            first = false;
        } else {
            Apply_Parameter(property, part);
        }
        if (stop >= head.size()) {
            break;
        }
        head.remove_prefix(stop + 1);
    }
    return property;
}

int Hex_Value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string Decode_Quoted_Printable(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && Hex_Value(value[i + 1]) >= 0 &&
            Hex_Value(value[i + 2]) >= 0) {
            out += static_cast<char>(Hex_Value(value[i + 1]) * 16 + Hex_Value(value[i + 2]));
            i += 2;
        } else {
            // A stray "=" is kept as it is.
            out += value[i];
        }
    }
    return out;
}

// The value's bytes as UTF-8. Eight-bit character sets are read as
// Windows-1252: it agrees with ISO-8859-1 on every printable character, and
// files labelled ISO-8859-1 or US-ASCII are mostly written on Windows.
// Unlabelled and UTF-8 values stay as they are when they are UTF-8; any other
// bytes, and character sets this program cannot read, are read as
// Windows-1252 too, so that the list never holds invalid UTF-8 from here.
std::string Value_Text(const Property& property) {
    const std::string bytes = property.Quoted_Printable
                                  ? Decode_Quoted_Printable(property.Raw_Value)
                                  : std::string(property.Raw_Value);
    const std::string& charset = property.Charset;
    if (charset == "ISO-8859-1" || charset == "ISO8859-1" || charset == "LATIN1" ||
        charset == "WINDOWS-1252" || charset == "CP1252" || charset == "US-ASCII" ||
        charset == "ASCII") {
        return Windows_1252_To_UTF8(bytes);
    }
    return To_Display_UTF8(bytes);
}

// ---- Texts ----------------------------------------------------------------

// The parts of a structured value at unescaped ";".
std::vector<std::string> Components(std::string_view value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value[i];
            parts.back() += value[++i];
        } else if (value[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

// One line of text: escapes undone (in vCard 2.1 only "\;"), line breaks,
// controls and unescaped "," (the separator of several values) made blanks,
// runs of blanks made one, and none at either end.
std::string Plain_Text(std::string_view value, bool version_2_1, bool commas_separate) {
    std::string out;
    out.reserve(value.size());
    bool pending_blank = false;
    const auto put = [&](char c) {
        if (pending_blank && !out.empty()) {
            out += ' ';
        }
        pending_blank = false;
        out += c;
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            if (next == ';' || (!version_2_1 && (next == ',' || next == '\\' || next == ':'))) {
                put(next);
                ++i;
                continue;
            }
            if (!version_2_1 && (next == 'n' || next == 'N')) {
                pending_blank = true;
                ++i;
                continue;
            }
        }
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x20 || byte == 0x7F || c == ' ' || (commas_separate && c == ',')) {
            pending_blank = true;
        } else {
            put(c);
        }
    }
    return out;
}

// The text cut to at most `longest` bytes without splitting a character.
std::string Cut_To(std::string text, std::size_t longest) {
    if (text.size() <= longest) {
        return text;
    }
    text.resize(Character_Boundary(text, longest));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

std::string Name_From_N(std::string_view value, bool version_2_1) {
    // Family; Given; Additional; Prefixes; Suffixes.
    std::vector<std::string> parts = Components(value);
    parts.resize(5);
    std::string name;
    for (const int index : {3, 1, 2, 0, 4}) {
        const std::string part = Plain_Text(parts[static_cast<std::size_t>(index)], version_2_1,
                                            /*commas_separate=*/true);
        if (!part.empty()) {
            name += name.empty() ? "" : " ";
            name += part;
        }
    }
    return name;
}

// ---- Dates ----------------------------------------------------------------

VCard_Date Parse_Date(std::string_view text, const Property& property) {
    return property.Text_Value ? VCard_Date{} : Parse_VCard_Date(text, property.Omitted_Year);
}

// ---- Contacts -------------------------------------------------------------

// Labelled: by the X-ABLABEL of its group; Own_Label: by its own.
enum class Date_Source { Birthday, Anniversary, Labelled, Own_Label };

struct Contact_Date {
    Date_Source Source = Date_Source::Birthday;
    std::string Group;
    VCard_Date Date;
    std::string Label;
};

struct Contact {
    bool Version_2_1 = false;
    std::string Uid;
    std::string Full_Name;
    std::string Structured_Name;
    std::string Organisation;
    std::vector<Contact_Date> Dates;
    std::vector<std::pair<std::string, std::string>> Labels;
    int Dates_Dropped = 0;
};

std::string Event_Type_From_Label(std::string_view label) {
    // Labels that the writer's own program translates: "_$!<Anniversary>!$_".
    if (label.starts_with("_$!<") && label.ends_with(">!$_") && label.size() >= 8) {
        const std::string word = Upper(label.substr(4, label.size() - 8));
        return word == "ANNIVERSARY" ? VCard_Wedding_Type : VCard_Other_Date_Type;
    }
    std::string type = Cut_To(std::string(label), VCard_Longest_Type);
    return type.empty() ? VCard_Other_Date_Type : type;
}

VCard_Contact Contact_Of(const Contact& contact) {
    VCard_Contact out;
    if (!contact.Uid.empty()) {
        out.Uid = contact.Uid;
    }
    bool birthday_seen = false;
    bool anniversary_seen = false;
    int others = 0;
    std::string name = contact.Full_Name;
    if (name.empty()) {
        name = contact.Structured_Name;
    }
    if (name.empty()) {
        name = contact.Organisation;
    }
    name = Cut_To(std::move(name), VCard_Longest_Name);
    for (const Contact_Date& date : contact.Dates) {
        VCard_Event event;
        event.Name = name;
        switch (date.Source) {
            case Date_Source::Birthday:
                event.Event_Type = VCard_Birthday_Type;
                break;
            case Date_Source::Anniversary:
                event.Event_Type = VCard_Wedding_Type;
                break;
            case Date_Source::Labelled: {
                std::string_view label;
                for (const auto& [group, text] : contact.Labels) {
                    if (!date.Group.empty() && group == date.Group) {
                        label = text;
                    }
                }
                event.Event_Type = Event_Type_From_Label(label);
                break;
            }
            case Date_Source::Own_Label:
                event.Event_Type = Event_Type_From_Label(date.Label);
                break;
        }
        // A reminder without a name would tell nothing.
        event.Kind = name.empty() ? VCard_Date_Kind::Unreadable : date.Date.Kind;
        event.Orig_Date = event.Kind == VCard_Date_Kind::Unreadable ? 0 : date.Date.Date;
        std::string key;
        if (date.Source == Date_Source::Birthday && !birthday_seen) {
            birthday_seen = true;
            key = "bday";
        } else if (date.Source == Date_Source::Anniversary && !anniversary_seen) {
            anniversary_seen = true;
            key = "anniversary";
        } else {
            key = "date-" + std::to_string(++others);
        }
        out.Dates.push_back({std::move(key), std::move(event)});
    }
    out.Dates_Dropped = contact.Dates_Dropped;
    return out;
}

// Phones write a contact's dates other than the birthday as
// "vnd.android.cursor.item/contact_event;DATE;TYPE;LABEL", TYPE 1 for an
// anniversary, 3 a birthday, 0 a date of the label's kind, else another date.
std::optional<Contact_Date> Phone_Event(const Property& property, bool version_2_1) {
    const std::vector<std::string> fields = Components(Value_Text(property));
    if (fields.size() < 3 ||
        Plain_Text(fields[0], version_2_1, false) != "vnd.android.cursor.item/contact_event") {
        return std::nullopt;
    }
    Contact_Date date;
    const std::string type = Plain_Text(fields[2], version_2_1, false);
    if (type == "1" || type == "3") {
        date.Source = type == "1" ? Date_Source::Anniversary : Date_Source::Birthday;
    } else {
        date.Source = Date_Source::Own_Label;
        if (type == "0" && fields.size() > 3) {
            date.Label = Plain_Text(fields[3], version_2_1, false);
        }
    }
    date.Date = Parse_Date(Plain_Text(fields[1], version_2_1, false), property);
    return date;
}

void Take_Property(Contact& contact, const Property& property) {
    const std::string& name = property.Name;
    const bool v21 = contact.Version_2_1;
    if (name == "VERSION") {
        contact.Version_2_1 = Plain_Text(property.Raw_Value, true, false) == "2.1";
    } else if (name == "UID") {
        contact.Uid = Cut_To(Plain_Text(Value_Text(property), v21, false), VCard_Longest_Uid);
    } else if (name == "FN") {
        contact.Full_Name = Plain_Text(Value_Text(property), v21, false);
    } else if (name == "N") {
        contact.Structured_Name = Name_From_N(Value_Text(property), v21);
    } else if (name == "ORG") {
        contact.Organisation =
            Plain_Text(Components(Value_Text(property)).front(), v21, /*commas_separate=*/false);
    } else if (name == "X-ABLABEL") {
        if (contact.Labels.size() < VCard_Most_Dates_Per_Contact) {
            contact.Labels.emplace_back(property.Group,
                                        Plain_Text(Value_Text(property), v21, false));
        }
    } else if (name == "BDAY" || name == "ANNIVERSARY" || name == "X-ANNIVERSARY" ||
               name == "X-EVOLUTION-ANNIVERSARY" || name == "X-ABDATE") {
        if (contact.Dates.size() >= VCard_Most_Dates_Per_Contact) {
            ++contact.Dates_Dropped;
            return;
        }
        const Date_Source source = name == "BDAY"       ? Date_Source::Birthday
                                   : name == "X-ABDATE" ? Date_Source::Labelled
                                                        : Date_Source::Anniversary;
        const std::string text = Plain_Text(Value_Text(property), v21, false);
        contact.Dates.push_back({source, property.Group, Parse_Date(text, property), {}});
    } else if (name == "X-ANDROID-CUSTOM") {
        std::optional<Contact_Date> date = Phone_Event(property, v21);
        if (!date) {
            return;
        }
        if (contact.Dates.size() >= VCard_Most_Dates_Per_Contact) {
            ++contact.Dates_Dropped;
            return;
        }
        contact.Dates.push_back(std::move(*date));
    }
}

// The content without a byte-order mark; UTF-16, as some programs on
// Windows write their exports, converted into `out`.
std::string_view Without_Byte_Order_Mark(std::string_view bytes, std::string& out) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return bytes.substr(3);
    }
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) {
        return bytes;
    }
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t at) -> char32_t {
        const auto a = static_cast<std::uint8_t>(bytes[at]);
        const auto b = static_cast<std::uint8_t>(bytes[at + 1]);
        return little ? static_cast<char32_t>(a | (b << 8)) : static_cast<char32_t>((a << 8) | b);
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        char32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        Append_UTF8(out, code >= 0xD800 && code <= 0xDFFF ? char32_t{0xFFFD} : code);
    }
    return out;
}

bool Names_A_Card(const Property& property) {
    return Upper(Plain_Text(property.Raw_Value, true, false)) == "VCARD";
}

std::string Event_Key(std::string_view name, Day_Number date, std::string_view type) {
    std::string key = To_Display_UTF8(name);
    key += '\x1F';
    key += std::to_string(Whole_Day(date));
    key += '\x1F';
    key += Upper(To_Display_UTF8(type));
    return key;
}

}  // namespace

int Read_VCard_Contacts(std::string_view bytes, const std::function<void(VCard_Contact&&)>& take) {
    std::string converted;
    const std::string_view content = Without_Byte_Order_Mark(bytes, converted);
    Line_Cursor lines(content);
    int contacts = 0;
    // Contacts held inside another (vCard 2.1's AGENT) are no contacts of
    // their own and lend it none of their properties.
    int depth = 0;
    std::optional<Contact> contact;
    while (!lines.At_End()) {
        const std::string line = Next_Logical_Line(lines);
        const std::optional<Property> property = Parse_Property(line);
        if (!property) {
            continue;
        }
        if (property->Name == "BEGIN" && Names_A_Card(*property)) {
            if (depth++ == 0) {
                ++contacts;
                contact.emplace();
            }
        } else if (property->Name == "END" && Names_A_Card(*property)) {
            if (depth > 0 && --depth == 0) {
                take(Contact_Of(*contact));
                contact.reset();
            }
        } else if (depth == 1) {
            Take_Property(*contact, *property);
        }
    }
    // A file cut short still gives its last contact.
    if (contact) {
        take(Contact_Of(*contact));
    }
    return contacts;
}

int Read_VCard_Events(std::string_view bytes, const std::function<void(VCard_Event&&)>& take) {
    return Read_VCard_Contacts(bytes, [&](VCard_Contact&& contact) {
        for (VCard_Keyed_Event& date : contact.Dates) {
            take(std::move(date.Event));
        }
        for (int i = 0; i < contact.Dates_Dropped; ++i) {
            take(VCard_Event{});
        }
    });
}

VCard_Import_Counts Append_VCard_Events(Event_List& list, std::string_view bytes) {
    std::unordered_set<std::string> known;
    for (const TName_And_Event_Data& entry : list.Entries()) {
        known.insert(Event_Key(entry.Name, entry.Orig_Date, entry.Event_Type));
    }
    VCard_Import_Counts counts;
    std::string last_unreadable;
    counts.Contacts = Read_VCard_Events(bytes, [&](VCard_Event&& event) {
        if (event.Kind == VCard_Date_Kind::Unreadable) {
            ++counts.Unreadable;
            if (counts.Unreadable_Contacts == 0 || event.Name != last_unreadable) {
                ++counts.Unreadable_Contacts;
                if (counts.Unreadable_Names.size() < VCard_Named_Unreadable) {
                    counts.Unreadable_Names.push_back(event.Name);
                }
                last_unreadable = std::move(event.Name);
            }
            return;
        }
        const bool year_unknown = event.Kind == VCard_Date_Kind::Without_Year;
        std::string key = Event_Key(event.Name, event.Orig_Date, event.Event_Type);
        if (known.contains(key)) {
            ++counts.Already_In_List;
        } else if (list.Is_Full()) {
            ++counts.Not_Taken;
        } else {
            TName_And_Event_Data& entry = list.Append();
            entry.Name = std::move(event.Name);
            entry.Orig_Date = event.Orig_Date;
            entry.Event_Type = std::move(event.Event_Type);
            if (year_unknown) {
                Write_Entry_Attributes(entry, {true, std::nullopt});
                ++counts.Without_Year;
            }
            known.insert(std::move(key));
            ++counts.Imported;
        }
    });
    return counts;
}

}  // namespace tessaly
