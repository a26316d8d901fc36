#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "caldav/http_transport.h"
#include "test_support/calendar_server.h"

namespace tessaly::test {

// A case run once against every real calendar server, each started afresh
// with the user ann; skipped where the server's package is missing. A
// fixture that adds to SetUp calls this one first and stops if it did.
class Real_Server_Test : public ::testing::TestWithParam<Server_Kind> {
protected:
    void SetUp() override {
        if (!Server_Available(GetParam())) {
            GTEST_SKIP() << Server_Missing_Reason(GetParam());
        }
        server_ = Make_Calendar_Server(GetParam(), {{"ann", "s3cret"}});
        ASSERT_TRUE(server_->Start()) << server_->Failure();
    }

    bool Started() const { return !IsSkipped() && !HasFatalFailure(); }

    const Server_Traits& Traits() const { return Traits_Of(GetParam()); }

    static Http_Transport_Options Options(std::string password = "s3cret") {
        Http_Transport_Options options;
        options.User = "ann";
        options.Password = std::move(password);
        options.Timeout = std::chrono::seconds(20);
        return options;
    }

    std::unique_ptr<Calendar_Server> server_;
};

// Names each case by its server.
inline std::string Server_Name(const ::testing::TestParamInfo<Server_Kind>& tested) {
    return Traits_Of(tested.param).Name;
}

}  // namespace tessaly::test
