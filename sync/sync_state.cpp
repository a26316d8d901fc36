#include "sync/sync_state.h"

#include <system_error>

#include "core/atomic_file.h"
#include "core/entry_attributes.h"
#include "core/errors.h"

namespace tessaly {

namespace {

constexpr std::string_view First_Line = "Tessaly sync 3";
// Read without the default alarm, which was "none" while no alarms were
// written.
constexpr std::string_view First_Line_2 = "Tessaly sync 2";
// Read for its events' hashes of the event text, and without the kind.
constexpr std::string_view First_Line_1 = "Tessaly sync 1";

// The attribute encoding's escape: tab, line ends, "%" and ";" never occur
// raw in a value.
std::string Escape(std::string_view value) {
    return Escape_Attribute_Value(value);
}

std::optional<std::string> Unescape(std::string_view value) {
    return Unescape_Attribute_Value(value);
}

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

}  // namespace

std::string Encode_Sync_State(const Sync_State& state) {
    std::string text(First_Line);
    text += "\ncalendar\t" + Escape(state.Calendar_Url);
    text += "\ntoken\t" + Escape(state.Sync_Token);
    text += "\nctag\t" + Escape(state.Ctag);
    for (const auto& event : state.Events) {
        text += "\nevent\t" + Escape(event.Uid) + "\t" + Escape(event.Url) + "\t" +
                Escape(event.Etag) + "\t" + Escape(event.Content_Hash) + "\t" +
                (event.Ours ? "ours" : "other") + "\t" + Escape(event.Alarm);
    }
    return text + "\n";
}

std::optional<Sync_State> Decode_Sync_State(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_suffix(1);
    const std::vector<std::string_view> lines = Split(text, '\n');
    if (lines.size() < 4 ||
        (lines[0] != First_Line && lines[0] != First_Line_2 && lines[0] != First_Line_1)) {
        return std::nullopt;
    }
    const bool version_1 = lines[0] == First_Line_1;
    const bool version_2 = lines[0] == First_Line_2;
    Sync_State state;
    const std::vector<std::pair<std::string_view, std::string*>> heads = {
        {"calendar", &state.Calendar_Url}, {"token", &state.Sync_Token}, {"ctag", &state.Ctag}};
    for (std::size_t i = 0; i < heads.size(); ++i) {
        const auto parts = Split(lines[i + 1], '\t');
        std::optional<std::string> value;
        if (parts.size() != 2 || parts[0] != heads[i].first || !(value = Unescape(parts[1]))) {
            return std::nullopt;
        }
        *heads[i].second = std::move(*value);
    }
    for (std::size_t i = 1 + heads.size(); i < lines.size(); ++i) {
        const auto parts = Split(lines[i], '\t');
        if (parts.size() != (version_1 ? 5u : version_2 ? 6u : 7u) || parts[0] != "event") {
            return std::nullopt;
        }
        Synced_Event event;
        std::string* fields[] = {&event.Uid, &event.Url, &event.Etag, &event.Content_Hash};
        for (std::size_t field = 0; field < 4; ++field) {
            auto value = Unescape(parts[field + 1]);
            if (!value || (field < 3 && value->empty())) {
                return std::nullopt;
            }
            *fields[field] = std::move(*value);
        }
        if (version_1) {
            event.Content_Hash = std::string(Legacy_Hash_Prefix) + event.Content_Hash;
        } else if (parts[5] == "other") {
            event.Ours = false;
        } else if (parts[5] != "ours") {
            return std::nullopt;
        }
        if (!version_1 && !version_2) {
            auto alarm = Unescape(parts[6]);
            if (!alarm || alarm->empty()) {
                return std::nullopt;
            }
            event.Alarm = std::move(*alarm);
        }
        state.Events.push_back(std::move(event));
    }
    return state;
}

std::filesystem::path Sync_State_Path(const std::filesystem::path& data_file) {
    return data_file.parent_path() / Sync_State_File_Name;
}

Sync_State Load_Sync_State(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    try {
        return Decode_Sync_State(Read_Whole_File(file)).value_or(Sync_State{});
    } catch (const File_Error&) {
        return {};
    }
}

void Save_Sync_State(const std::filesystem::path& file, const Sync_State& state) {
    Write_File_Atomically(file, Encode_Sync_State(state));
}

}  // namespace tessaly
