#include "desktop/link_opener.h"

#include <gtest/gtest.h>

#include "desktop/fake/fake_link_opener.h"
#include "desktop/linux/linux_services.h"
#include "desktop_test_support.h"

namespace tessaly {
namespace {

TEST(Link_Opener, OnlyWebAndMailLinksAreHandedOn) {
    for (const char* link : {"http://tessaly.example.org", "https://tessaly.example.org/x?y=1",
                             "mailto:help@tessaly.example.org"}) {
        EXPECT_TRUE(Is_Web_Or_Mail_Link(link)) << link;
    }
    for (const char* link :
         {"", "http://", "mailto:", "file:///etc/passwd", "/etc/passwd", "--help",
          "HTTP://upper.example.org", "javascript:alert(1)", " https://leading.space"}) {
        EXPECT_FALSE(Is_Web_Or_Mail_Link(link)) << link;
    }
}

TEST(Link_Opener, LinuxHandsTheLinkToXdgOpenWithoutWaiting) {
    test::Path_Programs programs;
    programs.Add("xdg-open");
    const auto opener = Make_Linux_Link_Opener();
    EXPECT_FALSE(opener->Open_Link("file:///etc/passwd"));
    EXPECT_TRUE(opener->Open_Link("mailto:help@tessaly.example.org"));
    EXPECT_EQ(programs.Output_Of("xdg-open"), "xdg-open mailto:help@tessaly.example.org");
}

TEST(Link_Opener, LinuxWithoutXdgOpenFails) {
    test::Path_Programs nothing;
    EXPECT_FALSE(Make_Linux_Link_Opener()->Open_Link("https://tessaly.example.org"));
}

TEST(Link_Opener, FakeRecordsTheLinksItTakesUnderTheSameRule) {
    Fake_Link_Opener opener;
    EXPECT_TRUE(opener.Open_Link("https://tessaly.example.org"));
    EXPECT_FALSE(opener.Open_Link("file:///x"));
    opener.Handler_Found = false;
    EXPECT_FALSE(opener.Open_Link("mailto:a@b.example"));
    EXPECT_EQ(opener.Opened_Links, std::vector<std::string>{"https://tessaly.example.org"});
}

}  // namespace
}  // namespace tessaly
