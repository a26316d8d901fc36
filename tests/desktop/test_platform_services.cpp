#include "desktop/platform_services.h"

#include <gtest/gtest.h>

#include <clocale>

#include "core/short_date.h"
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

TEST(Platform_Services, LinuxPassesNoShowCommand) {
    EXPECT_EQ(Make_Platform_Services().Startup->Command(), std::nullopt);
}

TEST(Platform_Services, LinuxShortDatePatternIsTheLocalesWithAFourDigitYear) {
    const Platform_Services services = Make_Platform_Services();
    ASSERT_NE(std::setlocale(LC_TIME, "C"), nullptr);
    EXPECT_EQ(services.Region->Short_Date_Pattern(), "%m/%d/%Y");
    EXPECT_EQ(services.Region->Short_Date_Pattern(), Locale_Short_Date_Pattern());
}

TEST(Platform_Services, FakesAnswerWhatTheTestSets) {
    Fake_Startup_Show startup;
    EXPECT_EQ(startup.Command(), std::nullopt);
    startup.Show_Command = Startup_Show_Command::Maximised;
    EXPECT_EQ(startup.Command(), Startup_Show_Command::Maximised);

    Fake_Regional_Date_Format region;
    EXPECT_EQ(region.Short_Date_Pattern(), "%d/%m/%Y");
}

}  // namespace
}  // namespace tessaly
