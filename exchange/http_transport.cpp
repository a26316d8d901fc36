#include "exchange/http_transport.h"

namespace tessaly {

std::string Http_Response::Header(std::string_view lower_case_name) const {
    for (const auto& [name, value] : Headers) {
        if (name == lower_case_name) {
            return value;
        }
    }
    return {};
}

}  // namespace tessaly
