#include "sync/contacts_state.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <vector>

#include "core/atomic_file.h"
#include "core/entry_attributes.h"
#include "core/errors.h"

namespace tessaly {

namespace {

constexpr std::string_view First_Line = "Tessaly contacts 1";

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(end + 1);
    }
}

// The line's escaped fields after its head, unescaped; none where the head
// or the count differs or a field is not well escaped.
std::optional<std::vector<std::string>> Fields(std::string_view line, std::string_view head,
                                               std::size_t count) {
    const std::vector<std::string_view> parts = Split(line, '\t');
    if (parts.size() != count + 1 || parts[0] != head) {
        return std::nullopt;
    }
    std::vector<std::string> fields;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto value = Unescape_Attribute_Value(parts[i]);
        if (!value) {
            return std::nullopt;
        }
        fields.push_back(std::move(*value));
    }
    return fields;
}

}  // namespace

std::string Encode_Contacts_State(const Contacts_State& state) {
    std::string text(First_Line);
    const auto field = [&text](std::string_view value) {
        text += '\t';
        text += Escape_Attribute_Value(value);
    };
    for (const auto& book : state.Books) {
        text += "\nbook";
        field(book.Url);
        field(book.Sync_Token);
        field(book.Ctag);
        for (const auto& contact : book.Contacts) {
            text += "\ncontact";
            field(contact.Href);
            field(contact.Etag);
            field(contact.Contact);
            for (const auto& date : contact.Dates) {
                text += "\ndate";
                field(date.Key);
                field(date.Name);
                field(std::to_string(static_cast<long long>(date.Orig_Date)));
                field(date.Event_Type);
                field(date.Year_Unknown ? "no-year" : "year");
            }
        }
    }
    return text + "\n";
}

std::optional<Contacts_State> Decode_Contacts_State(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_suffix(1);
    const std::vector<std::string_view> lines = Split(text, '\n');
    if (lines[0] != First_Line) {
        return std::nullopt;
    }
    Contacts_State state;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (auto book = Fields(line, "book", 3)) {
            if ((*book)[0].empty()) {
                return std::nullopt;
            }
            state.Books.push_back({(*book)[0], (*book)[1], (*book)[2], {}});
        } else if (auto contact = Fields(line, "contact", 3)) {
            if (state.Books.empty() || (*contact)[0].empty() || (*contact)[2].empty()) {
                return std::nullopt;
            }
            state.Books.back().Contacts.push_back(
                {(*contact)[0], (*contact)[1], (*contact)[2], {}});
        } else if (auto date = Fields(line, "date", 5)) {
            const std::string& day = (*date)[2];
            long long number = 0;
            const auto [end, error] = std::from_chars(day.data(), day.data() + day.size(), number);
            const std::string& year = (*date)[4];
            if (state.Books.empty() || state.Books.back().Contacts.empty() || (*date)[0].empty() ||
                error != std::errc() || end != day.data() + day.size() ||
                std::llabs(number) > 4'000'000 || (year != "year" && year != "no-year")) {
                return std::nullopt;
            }
            state.Books.back().Contacts.back().Dates.push_back({(*date)[0], (*date)[1],
                                                                static_cast<Day_Number>(number),
                                                                (*date)[3], year == "no-year"});
        } else {
            return std::nullopt;
        }
    }
    return state;
}

std::filesystem::path Contacts_State_Path(const std::filesystem::path& sync_state_file) {
    return sync_state_file.parent_path() / Contacts_State_File_Name;
}

Contacts_State Load_Contacts_State(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    try {
        return Decode_Contacts_State(Read_Whole_File(file)).value_or(Contacts_State{});
    } catch (const File_Error&) {
        return {};
    }
}

void Save_Contacts_State(const std::filesystem::path& file, const Contacts_State& state) {
    Write_File_Atomically(file, Encode_Contacts_State(state));
}

}  // namespace tessaly
