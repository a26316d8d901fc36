#include <windows.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string_view>

#include "app/console_output.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace tessaly {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A stream's bytes as UTF-16 text through WriteConsoleW, which shows every
// letter whatever the console's code page; the console is told nothing of
// bytes, so none can be read in the wrong code page.
class Console_Buffer final : public std::streambuf {
public:
    explicit Console_Buffer(HANDLE console) : console_(console) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    ~Console_Buffer() override {
        sync();
        Write(decoder_.Finish());
    }

protected:
    int_type overflow(int_type ch) override {
        if (!Flush_Buffer()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return Flush_Buffer() ? 0 : -1; }

private:
    bool Flush_Buffer() {
        const std::string_view bytes(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return Write(decoder_.Convert(bytes));
    }

    bool Write(const std::u16string& text) {
        const auto* characters = reinterpret_cast<const wchar_t*>(text.data());
        std::size_t left = text.size();
        while (left > 0) {
            // Consoles take a limited amount per call.
            const DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
            DWORD written = 0;
            if (!::WriteConsoleW(console_, characters, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            characters += written;
            left -= written;
        }
        return true;
    }

    HANDLE console_;
    Utf8_To_Utf16 decoder_;
    std::array<char, 4096> buffer_{};
};

// One standard stream redirected to its console, put back when it goes.
struct Redirected_Stream {
    std::ostream* Stream = nullptr;
    std::streambuf* Previous = nullptr;
    std::unique_ptr<Console_Buffer> Buffer;
};

// The console behind the handle, if the handle is one.
bool Is_Console(HANDLE handle, DWORD& mode) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

void Redirect(Redirected_Stream& redirected, std::ostream& stream, HANDLE console) {
    stream.flush();
    redirected.Stream = &stream;
    redirected.Buffer = std::make_unique<Console_Buffer>(console);
    redirected.Previous = stream.rdbuf(redirected.Buffer.get());
}

void Put_Back(Redirected_Stream& redirected) {
    if (redirected.Stream == nullptr) {
        return;
    }
    redirected.Stream->flush();
    redirected.Stream->rdbuf(redirected.Previous);
    redirected.Buffer.reset();
}

}  // namespace

struct Console_Output::State {
    Redirected_Stream Out;
    Redirected_Stream Err;
    HANDLE Output_Console = INVALID_HANDLE_VALUE;
    DWORD Previous_Mode = 0;
    bool Mode_Changed = false;
};

Console_Output::Console_Output() : state_(std::make_unique<State>()) {
    State* state = state_.get();
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD output_mode = 0;
    DWORD error_mode = 0;
    if (Is_Console(output, output_mode)) {
        // What C's stdio holds goes out before the stream changes hands.
        std::fflush(stdout);
        Redirect(state->Out, std::cout, output);
        bool virtual_terminal = (output_mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
        if (!virtual_terminal &&
            ::SetConsoleMode(output, output_mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
            state->Output_Console = output;
            state->Previous_Mode = output_mode;
            state->Mode_Changed = true;
            virtual_terminal = true;
        }
        stdout_takes_colour_ = Output_Takes_Colour(Output_Kind::Console, virtual_terminal);
    } else {
        // NUL and other character devices are no terminal, whatever
        // _isatty says.
        stdout_takes_colour_ = Output_Takes_Colour(Output_Kind::Other, false);
    }
    if (Is_Console(error, error_mode)) {
        std::fflush(stderr);
        Redirect(state->Err, std::cerr, error);
    }
}

Console_Output::~Console_Output() {
    State* state = state_.get();
    Put_Back(state->Out);
    Put_Back(state->Err);
    if (state->Mode_Changed) {
        ::SetConsoleMode(state->Output_Console, state->Previous_Mode);
    }
}

}  // namespace tessaly
