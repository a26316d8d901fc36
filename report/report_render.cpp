#include "report/report_render.h"

#include <cstddef>
#include <cstdint>

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

// Entry texts come from the data file, which may hold any byte: a control
// character would reach the terminal as a command (an escape sequence) or
// break the report's lines, so each is shown as "?". A tab stays.
void Append_Shown(std::string& out, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            out += '?';
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?';  // U+0080..U+009F, the C1 controls
            ++i;
        } else {
            out += text[i];
        }
    }
}

}  // namespace

std::string Render_Plain(const Report_Document& document) {
    std::string text;
    for (const Report_Paragraph& paragraph : document.Paragraphs) {
        for (const Text_Run& run : paragraph.Runs) {
            Append_Shown(text, run.Text);
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
                Append_Shown(text, run.Text);
                continue;
            }
            text += "\x1b[";
            text += parameters;
            text += 'm';
            Append_Shown(text, run.Text);
            text += Ansi_Reset;
        }
        text += '\n';
    }
    return text;
}

}  // namespace tessaly
