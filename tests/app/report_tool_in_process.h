#pragma once

// The terminal tool run in-process, its output caught.

#include <sstream>
#include <string>
#include <vector>

#include "app/report_tool.h"
#include "report_tool_expected.h"

namespace tessaly::test {

inline Tool_Result Run_In_Process(const std::vector<std::string>& args,
                                  const Report_Tool_Environment& env) {
    std::ostringstream out;
    std::ostringstream err;
    Tool_Result result;
    result.Status = Run_Report_Tool(args, env, out, err);
    result.Out = out.str();
    result.Err = err.str();
    return result;
}

}  // namespace tessaly::test
