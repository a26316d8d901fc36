#include "core/entry_attributes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>

#include "core/dates.h"

namespace tessaly {

namespace {

constexpr std::string_view Year_Key = "year";
constexpr std::string_view Year_Unknown_Value = "unknown";
constexpr std::string_view Lead_Key = "lead";
constexpr std::string_view Uid_Key = "uid";
constexpr std::string_view Book_Key = "book";
constexpr std::string_view Contact_Key = "contact";
constexpr std::string_view Contact_Date_Key = "contact-date";
constexpr char Item_Separator = ';';
constexpr char Value_Separator = '=';
constexpr char Escape_Mark = '%';
constexpr std::string_view Hex_Digits = "0123456789ABCDEF";

bool Is_Key_Character(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

bool Is_Control(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool Needs_Escape(char c) {
    return c == Escape_Mark || c == Item_Separator || Is_Control(c);
}

int Hex_Value(char c) {
    const std::size_t at = Hex_Digits.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

bool Is_Valid_Key(std::string_view key) {
    if (key.empty()) {
        return false;
    }
    for (const char c : key) {
        if (!Is_Key_Character(c)) {
            return false;
        }
    }
    return true;
}

// 1..365 in plain decimal digits, no sign, no leading zero.
std::optional<int> Lead_Of(std::string_view value) {
    if (value.empty() || value.size() > 3 || value.front() == '0') {
        return std::nullopt;
    }
    int lead = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), lead);
    if (error != std::errc() || end != value.data() + value.size() || lead < Minimum_Own_Lead ||
        lead > Maximum_Own_Lead) {
        return std::nullopt;
    }
    return lead;
}

constexpr std::size_t Spare_Field_Count = 4;

// Spare_1..Spare_4 by index, for a const or a changeable entry.
template <typename Entry>
auto* Spare_Field(Entry& entry, std::size_t index) {
    const std::array fields = {&entry.Spare_1, &entry.Spare_2, &entry.Spare_3, &entry.Spare_4};
    return fields[index];
}

const std::string* Value_Of(const Attribute_Field& field, std::string_view key) {
    for (const auto& [item_key, value] : field.Items) {
        if (item_key == key) {
            return &value;
        }
    }
    return nullptr;
}

// The first item of the key takes the value, later ones go; a new key is
// added at the end.
void Set_Item(Attribute_Field& field, std::string_view key, std::string value) {
    auto& items = field.Items;
    const auto is_key = [key](const auto& item) { return item.first == key; };
    const auto first = std::find_if(items.begin(), items.end(), is_key);
    if (first == items.end()) {
        items.emplace_back(std::string(key), std::move(value));
        return;
    }
    first->second = std::move(value);
    items.erase(std::remove_if(std::next(first), items.end(), is_key), items.end());
}

// Items of the key whose value this version understands go; others stay for
// the version that wrote them.
void Clear_Item(Attribute_Field& field, std::string_view key,
                const std::function<bool(std::string_view)>& understood) {
    std::erase_if(field.Items,
                  [&](const auto& item) { return item.first == key && understood(item.second); });
}

// The spare field that takes our attributes, with its items: the first of
// ours, or else the first empty one; null when every field is another
// program's.
std::string* Field_To_Write(TName_And_Event_Data& entry, Attribute_Field& field) {
    for (std::size_t i = 0; i < Spare_Field_Count; ++i) {
        if (std::optional<Attribute_Field> ours = Parse_Attribute_Field(*Spare_Field(entry, i))) {
            field = std::move(*ours);
            return Spare_Field(entry, i);
        }
    }
    for (std::size_t i = 0; i < Spare_Field_Count; ++i) {
        if (Spare_Field(entry, i)->empty()) {
            return Spare_Field(entry, i);
        }
    }
    return nullptr;
}

}  // namespace

std::string Escape_Attribute_Value(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        if (Needs_Escape(c)) {
            const auto byte = static_cast<unsigned char>(c);
            escaped += Escape_Mark;
            escaped += Hex_Digits[byte >> 4];
            escaped += Hex_Digits[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> Unescape_Attribute_Value(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == Escape_Mark) {
            if (i + 2 >= value.size()) {
                return std::nullopt;
            }
            const int high = Hex_Value(value[i + 1]);
            const int low = Hex_Value(value[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            text += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (Needs_Escape(c)) {
            return std::nullopt;
        } else {
            text += c;
        }
    }
    return text;
}

std::optional<Attribute_Field> Parse_Attribute_Field(std::string_view text) {
    if (!text.starts_with(Attribute_Field_Prefix)) {
        return std::nullopt;
    }
    text.remove_prefix(Attribute_Field_Prefix.size());
    Attribute_Field field;
    if (text.empty()) {
        return field;
    }
    while (true) {
        const std::size_t end = text.find(Item_Separator);
        const std::string_view item = text.substr(0, end);
        const std::size_t equals = item.find(Value_Separator);
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view key = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (!Is_Valid_Key(key) || !Unescape_Attribute_Value(value)) {
            return std::nullopt;
        }
        field.Items.emplace_back(std::string(key), std::string(value));
        if (end == std::string_view::npos) {
            return field;
        }
        text.remove_prefix(end + 1);
    }
}

std::string Encode_Attribute_Field(const Attribute_Field& field) {
    std::string text(Attribute_Field_Prefix);
    for (std::size_t i = 0; i < field.Items.size(); ++i) {
        if (i > 0) {
            text += Item_Separator;
        }
        text += field.Items[i].first;
        text += Value_Separator;
        text += field.Items[i].second;
    }
    return text;
}

Entry_Attributes Read_Entry_Attributes(const TName_And_Event_Data& entry) {
    Entry_Attributes attributes;
    for (std::size_t i = 0; i < Spare_Field_Count; ++i) {
        const std::optional<Attribute_Field> field = Parse_Attribute_Field(*Spare_Field(entry, i));
        if (!field) {
            continue;
        }
        if (const std::string* year = Value_Of(*field, Year_Key)) {
            attributes.Year_Unknown = *year == Year_Unknown_Value &&
                                      Is_Day_Number_In_Range(entry.Orig_Date) &&
                                      Decode_Date(entry.Orig_Date).Year == Year_Unknown_Placeholder;
        }
        if (const std::string* lead = Value_Of(*field, Lead_Key)) {
            attributes.Own_Lead = Lead_Of(*lead);
        }
        break;
    }
    return attributes;
}

bool Write_Entry_Attributes(TName_And_Event_Data& entry, const Entry_Attributes& attributes) {
    // Nothing to change keeps every byte, however the fields are written.
    if (Read_Entry_Attributes(entry) == attributes) {
        return true;
    }
    Attribute_Field field;
    std::string* target = Field_To_Write(entry, field);
    if (target == nullptr) {
        return false;
    }

    if (attributes.Year_Unknown) {
        Set_Item(field, Year_Key, std::string(Year_Unknown_Value));
    } else {
        Clear_Item(field, Year_Key,
                   [](std::string_view value) { return value == Year_Unknown_Value; });
    }
    if (attributes.Own_Lead && Lead_Of(std::to_string(*attributes.Own_Lead))) {
        Set_Item(field, Lead_Key, std::to_string(*attributes.Own_Lead));
    } else {
        Clear_Item(field, Lead_Key,
                   [](std::string_view value) { return Lead_Of(value).has_value(); });
    }
    *target = field.Items.empty() ? std::string() : Encode_Attribute_Field(field);
    return true;
}

std::optional<std::string> Read_Entry_Uid(const TName_And_Event_Data& entry) {
    for (std::size_t i = 0; i < Spare_Field_Count; ++i) {
        if (const auto field = Parse_Attribute_Field(*Spare_Field(entry, i))) {
            const std::string* uid = Value_Of(*field, Uid_Key);
            if (uid == nullptr) {
                return std::nullopt;
            }
            auto text = Unescape_Attribute_Value(*uid);
            return text && !text->empty() ? text : std::nullopt;
        }
    }
    return std::nullopt;
}

bool Write_Entry_Uid(TName_And_Event_Data& entry, std::string_view uid) {
    if (Read_Entry_Uid(entry).value_or("") == uid) {
        return true;
    }
    Attribute_Field field;
    std::string* target = Field_To_Write(entry, field);
    if (target == nullptr) {
        return false;
    }
    if (uid.empty()) {
        std::erase_if(field.Items, [](const auto& item) { return item.first == Uid_Key; });
    } else {
        Set_Item(field, Uid_Key, Escape_Attribute_Value(uid));
    }
    *target = field.Items.empty() ? std::string() : Encode_Attribute_Field(field);
    return true;
}

std::optional<Contact_Source> Read_Contact_Source(const TName_And_Event_Data& entry) {
    for (std::size_t i = 0; i < Spare_Field_Count; ++i) {
        const auto field = Parse_Attribute_Field(*Spare_Field(entry, i));
        if (!field) {
            continue;
        }
        const auto value = [&](std::string_view key) -> std::optional<std::string> {
            const std::string* text = Value_Of(*field, key);
            auto unescaped = text != nullptr ? Unescape_Attribute_Value(*text) : std::nullopt;
            return unescaped && !unescaped->empty() ? unescaped : std::nullopt;
        };
        auto book = value(Book_Key);
        auto contact = value(Contact_Key);
        auto date = value(Contact_Date_Key);
        if (!book || !contact || !date) {
            return std::nullopt;
        }
        return Contact_Source{std::move(*book), std::move(*contact), std::move(*date)};
    }
    return std::nullopt;
}

bool Write_Contact_Source(TName_And_Event_Data& entry,
                          const std::optional<Contact_Source>& source) {
    if (Read_Contact_Source(entry) == source) {
        return true;
    }
    Attribute_Field field;
    std::string* target = Field_To_Write(entry, field);
    if (target == nullptr) {
        return false;
    }
    for (const std::string_view key : {Book_Key, Contact_Key, Contact_Date_Key}) {
        std::erase_if(field.Items, [key](const auto& item) { return item.first == key; });
    }
    if (source) {
        Set_Item(field, Book_Key, Escape_Attribute_Value(source->Book));
        Set_Item(field, Contact_Key, Escape_Attribute_Value(source->Contact));
        Set_Item(field, Contact_Date_Key, Escape_Attribute_Value(source->Date));
    }
    *target = field.Items.empty() ? std::string() : Encode_Attribute_Field(field);
    return true;
}

Day_Number Year_Unknown_Date(int month, int day) {
    return Encode_Date(Year_Unknown_Placeholder, month, day);
}

}  // namespace tessaly
