#include "app/console_output.h"
#include "core/platform/process.h"

namespace tessaly {

// Terminals take UTF-8 and colour as they are.
struct Console_Output::State {};

Console_Output::Console_Output()
    : stdout_takes_colour_(Output_Takes_Colour(
          Is_Terminal(stdout) ? Output_Kind::Terminal : Output_Kind::Other, false)) {}

Console_Output::~Console_Output() = default;

}  // namespace tessaly
