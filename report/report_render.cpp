#include "report/report_render.h"

#include <cstddef>
#include <cstdint>

#include "core/text_encoding.h"

namespace tessaly {

namespace {

constexpr const char* Ansi_Reset = "\x1b[0m";

// The SGR parameters for a run's format; empty for regular text.
std::string Sgr_Parameters(const Char_Format& format) {
    std::string parameters;
    const auto add = [&parameters](const std::string& code) {
        if (!parameters.empty()) {
            parameters += ';';
        }
        parameters += code;
    };
    if (format.Bold) {
        add("1");
    }
    if (format.Underline) {
        add("4");
    }
    if (format.Colour) {
        const std::uint32_t rgb = *format.Colour;
        if (rgb == Report_Highlight_Colour) {
            add("34");  // the terminal's own blue reads better than true colour
        } else {
            add("38;2;" + std::to_string((rgb >> 16) & 0xFF) + ";" +
                std::to_string((rgb >> 8) & 0xFF) + ";" + std::to_string(rgb & 0xFF));
        }
    }
    return parameters;
}

}  // namespace

void Append_Printable(std::string& out, std::string_view original) {
    const std::string one_line = Line_Breaks_As_Spaces(original);
    const std::string_view text = one_line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = [&text, i](std::size_t ahead) {
            return i + ahead < text.size() ? static_cast<unsigned char>(text[i + ahead]) : 0;
        };
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            out += '?';
        } else if (byte == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
            out += '?';  // U+0080..U+009F, the C1 controls
            ++i;
        } else if (byte == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
            out += '?';  // U+2028 and U+2029, had they not become spaces
            i += 2;
        } else {
            out += text[i];
        }
    }
}

std::string Render_Plain(const Report_Document& document) {
    std::string text;
    for (const Report_Paragraph& paragraph : document.Paragraphs) {
        for (const Text_Run& run : paragraph.Runs) {
            Append_Printable(text, run.Text);
        }
        text += '\n';
    }
    return text;
}

std::string Render_Ansi(const Report_Document& document) {
    std::string text;
    for (const Report_Paragraph& paragraph : document.Paragraphs) {
        for (const Text_Run& run : paragraph.Runs) {
            const std::string parameters = Sgr_Parameters(run.Format);
            if (parameters.empty() || run.Text.empty()) {
                Append_Printable(text, run.Text);
                continue;
            }
            text += "\x1b[";
            text += parameters;
            text += 'm';
            Append_Printable(text, run.Text);
            text += Ansi_Reset;
        }
        text += '\n';
    }
    return text;
}

}  // namespace tessaly
