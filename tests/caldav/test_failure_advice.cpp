#include <gtest/gtest.h>

#include <set>
#include <string>

#include "caldav/failure_advice.h"

namespace tessaly::test {
namespace {

// Each failure says what to do about it; the words that carry the advice.
TEST(Failure_Advice, EveryFailureSaysWhatToDoInItsOwnWords) {
    const struct {
        CalDAV_Failure Failure;
        const char* Words;
    } cases[] = {
        {CalDAV_Failure::Unreachable, "Check the address and the network"},
        {CalDAV_Failure::Timed_Out, "did not answer in time"},
        {CalDAV_Failure::Unauthorized, "Nextcloud and iCloud need an app password"},
        {CalDAV_Failure::Forbidden, "Check the user name"},
        {CalDAV_Failure::Not_Found, "Find the calendars again"},
        {CalDAV_Failure::Precondition_Failed, "Sync again"},
        {CalDAV_Failure::Server_Error, "Try again later"},
        {CalDAV_Failure::Unexpected_Status, "calendar (CalDAV) address"},
        {CalDAV_Failure::Broken_Reply, "calendar (CalDAV) address"},
        {CalDAV_Failure::No_Calendar_Service, "no calendar service at this address"},
        {CalDAV_Failure::Foreign_Origin, "only to the address typed"},
        {CalDAV_Failure::Untrusted_Certificate, "certificate is not trusted"},
    };
    std::set<std::string> said;
    for (const auto& test : cases) {
        const std::string advice = Failure_Advice(test.Failure);
        EXPECT_NE(advice.find(test.Words), std::string::npos) << advice;
        EXPECT_EQ(advice.find("(Details"), std::string::npos) << advice;
        said.insert(advice);
    }
    // Only the two kinds of answer that are not a calendar server's share words.
    EXPECT_EQ(said.size(), std::size(cases) - 1);
}

TEST(Failure_Advice, DetailsFollowTheAdviceWithTheStatusAndTheServersOriginOnly) {
    const std::string refused = Failure_Advice(CalDAV_Failure::Unauthorized);
    const std::string unreachable = Failure_Advice(CalDAV_Failure::Unreachable);
    const struct {
        CalDAV_Failure Failure;
        long Status;
        const char* Message;
        const char* Server;
        std::string Sentence;
    } cases[] = {
        {CalDAV_Failure::Unauthorized, 401, "The server refused it (401).",
         "https://Cloud.Example.org:443/remote.php/dav/",
         refused + " (Details: HTTP 401 from https://cloud.example.org: The server refused it "
                   "(401))"},
        {CalDAV_Failure::Unauthorized, 401, "", "https://cloud.example.org/",
         refused + " (Details: HTTP 401 from https://cloud.example.org)"},
        {CalDAV_Failure::Unauthorized, 401, "Refused.", "not an address",
         refused + " (Details: HTTP 401: Refused)"},
        {CalDAV_Failure::Unreachable, 0, "Could not resolve host: cloud.example.org. ",
         "https://cloud.example.org/",
         unreachable + " (Details: Could not resolve host: cloud.example.org)"},
        {CalDAV_Failure::Unreachable, 0, "", "https://cloud.example.org/", unreachable},
        // The advice's own opening words are not said twice.
        {CalDAV_Failure::Unreachable, 0,
         "The calendar server could not be reached (Failed to connect to h port 9).",
         "https://h.example.org/", unreachable + " (Details: Failed to connect to h port 9)"},
        {CalDAV_Failure::Unreachable, 0, "The calendar server could not be reached at all.",
         "https://h.example.org/",
         unreachable + " (Details: The calendar server could not be reached at all)"},
        // A server at home may serve only http: the address to type instead.
        {CalDAV_Failure::Unreachable, 0, "SSL routines::wrong version number",
         "https://127.0.0.1:5232/dav/",
         unreachable + " A server on this computer or the home network may have no https: then "
                       "type its address as http://127.0.0.1:5232/dav/. (Details: SSL "
                       "routines::wrong version number)"},
        {CalDAV_Failure::Unreachable, 0, "", "https://[::1]:5232/",
         unreachable + " A server on this computer or the home network may have no https: then "
                       "type its address as http://[::1]:5232/."},
        {CalDAV_Failure::Unreachable, 0, "", "http://127.0.0.1:5232/", unreachable},
        {CalDAV_Failure::Timed_Out, 0, "", "https://192.168.1.2/",
         Failure_Advice(CalDAV_Failure::Timed_Out)},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Failure_Sentence(test.Failure, test.Status, test.Message, test.Server),
                  test.Sentence);
    }
    const CalDAV_Error error(CalDAV_Failure::Timed_Out, 0, "No reply in 30 s.");
    EXPECT_EQ(Failure_Sentence(error, "https://h/"),
              Failure_Advice(CalDAV_Failure::Timed_Out) + " (Details: No reply in 30 s)");
}

}  // namespace
}  // namespace tessaly::test
