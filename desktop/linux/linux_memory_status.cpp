#include "desktop/linux/linux_memory_status.h"

#include <sys/sysinfo.h>

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "desktop/linux/linux_services.h"

namespace tessaly {

namespace detail {

std::optional<Memory_Figures> Parse_Meminfo(std::string_view text) {
    // "MemTotal:       16318412 kB": a name, a colon, a number and a unit.
    std::map<std::string, std::uint64_t, std::less<>> values;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        std::string_view rest = line.substr(colon + 1);
        const std::size_t digits = rest.find_first_not_of(' ');
        if (digits == std::string_view::npos) {
            continue;
        }
        rest.remove_prefix(digits);
        std::uint64_t number = 0;
        const auto [after, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (error != std::errc()) {
            continue;
        }
        const std::string_view unit(after,
                                    static_cast<std::size_t>(rest.data() + rest.size() - after));
        const std::uint64_t scale = unit.find("kB") != std::string_view::npos ? 1024 : 1;
        values.emplace(std::string(line.substr(0, colon)), number * scale);
    }
    const auto value = [&](std::string_view name) -> std::optional<std::uint64_t> {
        const auto found = values.find(name);
        if (found == values.end()) {
            return std::nullopt;
        }
        return found->second;
    };
    const auto total = value("MemTotal");
    if (!total) {
        return std::nullopt;
    }
    Memory_Figures figures;
    figures.Total_Physical = *total;
    figures.Available_Physical =
        value("MemAvailable")
            .value_or(value("MemFree").value_or(0) + value("Buffers").value_or(0) +
                      value("Cached").value_or(0));
    figures.Total_Page_File = value("SwapTotal").value_or(0);
    figures.Available_Page_File = value("SwapFree").value_or(0);
    return figures;
}

}  // namespace detail

namespace {

// sysinfo(2) knows nothing of the page cache, so /proc/meminfo comes first.
class Linux_Memory_Status final : public Memory_Status {
public:
    std::optional<Memory_Figures> Read() override {
        std::ifstream file("/proc/meminfo");
        std::ostringstream text;
        text << file.rdbuf();
        if (auto figures = detail::Parse_Meminfo(text.str())) {
            return figures;
        }
        struct sysinfo info {};
        if (::sysinfo(&info) != 0) {
            return std::nullopt;
        }
        const std::uint64_t unit = info.mem_unit;
        Memory_Figures figures;
        figures.Total_Physical = info.totalram * unit;
        figures.Available_Physical = (info.freeram + info.bufferram) * unit;
        figures.Total_Page_File = info.totalswap * unit;
        figures.Available_Page_File = info.freeswap * unit;
        return figures;
    }
};

}  // namespace

std::unique_ptr<Memory_Status> Make_Linux_Memory_Status() {
    return std::make_unique<Linux_Memory_Status>();
}

}  // namespace tessaly
