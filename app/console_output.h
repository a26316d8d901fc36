#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tessaly {

// UTF-8 to UTF-16 for text that arrives in pieces: the bytes of a character
// split between two writes wait for the next one. Bytes that are no UTF-8
// become U+FFFD, one for each longest start of a character, as Windows and
// browsers show them.
class Utf8_To_Utf16 {
public:
    // The text of every character complete so far.
    std::u16string Convert(std::string_view bytes);
    // What is left of an unfinished character, as U+FFFD; empty when none.
    std::u16string Finish();

private:
    std::string pending_;
};

// Where a standard stream goes, as far as colour is concerned.
enum class Output_Kind {
    // A Windows console: it shows escapes as colour only in virtual
    // terminal mode; older ones print them as text.
    Console,
    // A terminal elsewhere.
    Terminal,
    // A file, a pipe, a device.
    Other,
};

// Whether colour escapes written there show as colour.
bool Output_Takes_Colour(Output_Kind kind, bool virtual_terminal_on);

// While it lives, standard output and error show every letter the program
// writes: on Windows, where either is a console, std::cout and std::cerr
// write to it as UTF-16 text (whatever the console's code page), and the
// output console is put into virtual terminal mode for colour. Pipes and
// files get the UTF-8 bytes as before. Everything is put back at the end,
// since the console outlives the program. Elsewhere nothing changes.
class Console_Output {
public:
    Console_Output();
    ~Console_Output();
    Console_Output(const Console_Output&) = delete;
    Console_Output& operator=(const Console_Output&) = delete;

    // Whether --color auto may colour standard output.
    bool Stdout_Takes_Colour() const { return stdout_takes_colour_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    bool stdout_takes_colour_ = false;
};

}  // namespace tessaly
