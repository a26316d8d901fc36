#include "desktop/platform_services.h"

#include <gtest/gtest.h>

#include <clocale>

#include "core/short_date.h"
#include "desktop/fake/fake_auto_start.h"
#include "desktop/fake/fake_regional_date_format.h"
#include "desktop/fake/fake_startup_show.h"

namespace tessaly {
namespace {

TEST(Platform_Services, EveryServiceIsThere) {
    const Platform_Services services = Make_Platform_Services();
    EXPECT_NE(services.Auto_Start, nullptr);
    EXPECT_NE(services.Shell, nullptr);
    EXPECT_NE(services.Editor, nullptr);
    EXPECT_NE(services.Links, nullptr);
    EXPECT_NE(services.File_System, nullptr);
    EXPECT_NE(services.Startup, nullptr);
    EXPECT_NE(services.Memory, nullptr);
    EXPECT_NE(services.Region, nullptr);
}

// Log-in entries arrive with the desktop integration: until then the window
// finds none and none can be made.
TEST(Platform_Services, LinuxHasNoAutoStartEntryYetAndNoShowCommand) {
    const Platform_Services services = Make_Platform_Services();
    EXPECT_EQ(services.Auto_Start->Read_Entry("tessaly"), std::nullopt);
    EXPECT_FALSE(services.Auto_Start->Write_Entry("tessaly", "/opt/tessaly/tessaly"));
    EXPECT_EQ(services.Auto_Start->Read_Entry("tessaly"), std::nullopt);
    EXPECT_TRUE(services.Auto_Start->Delete_Entry("tessaly"));
    EXPECT_EQ(services.Startup->Command(), std::nullopt);
}

TEST(Platform_Services, LinuxShortDatePatternIsTheLocalesWithAFourDigitYear) {
    const Platform_Services services = Make_Platform_Services();
    ASSERT_NE(std::setlocale(LC_TIME, "C"), nullptr);
    EXPECT_EQ(services.Region->Short_Date_Pattern(), "%m/%d/%Y");
    EXPECT_EQ(services.Region->Short_Date_Pattern(), Locale_Short_Date_Pattern());
}

TEST(Platform_Services, FakesAnswerWhatTheTestSets) {
    Fake_Auto_Start_Entries auto_start;
    EXPECT_TRUE(auto_start.Write_Entry("tessaly", "/opt/t --quiet"));
    EXPECT_EQ(auto_start.Read_Entry("tessaly"), "/opt/t --quiet");
    EXPECT_EQ(auto_start.Read_Entry("other"), std::nullopt);
    auto_start.Writable = false;
    EXPECT_FALSE(auto_start.Write_Entry("other", "x"));
    EXPECT_FALSE(auto_start.Delete_Entry("tessaly"));
    auto_start.Writable = true;
    EXPECT_TRUE(auto_start.Delete_Entry("tessaly"));
    EXPECT_TRUE(auto_start.Entries.empty());

    Fake_Startup_Show startup;
    EXPECT_EQ(startup.Command(), std::nullopt);
    startup.Show_Command = Startup_Show_Command::Maximised;
    EXPECT_EQ(startup.Command(), Startup_Show_Command::Maximised);

    Fake_Regional_Date_Format region;
    EXPECT_EQ(region.Short_Date_Pattern(), "%d/%m/%Y");
}

}  // namespace
}  // namespace tessaly
