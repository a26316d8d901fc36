#include <gtest/gtest.h>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

#include "report/print_setup.h"
#include "test_support/temp_dir.h"

namespace tessaly {
namespace {

// Records what the window would say; never sets a printer up.
struct Recording_Print_Setup final : Print_Setup {
    std::vector<QString> Said;
    bool Set_Up_Printer(QPrinter&, QWidget*) override { return false; }
    void Say_Print_Unavailable(QWidget*, const QString& reason) override { Said.push_back(reason); }
};

TEST(Print_Module, AModuleThatIsMissingOrNotTheRightOneIsSaidAndNothingPrints) {
    test::Temp_Dir folder;
    const struct {
        const char* Case;
        std::filesystem::path File;
    } cases[] = {
        {"missing", folder.File("tessaly-print-module.so")},
        {"another version", TESSALY_OTHER_VERSION_MODULE_PATH},
        {"another module", TESSALY_SYNC_MODULE_PATH},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.Case);
        Recording_Print_Setup setup;
        EXPECT_EQ(Make_Report_Printer(setup, nullptr, one.File), nullptr);
        ASSERT_EQ(setup.Said.size(), 1U);
        EXPECT_EQ(setup.Said[0].toStdString(),
                  "Printing could not be started: " + one.File.string() +
                      " is missing or does not fit this program's version.");
    }
}

TEST(Print_Module, TheBuildsModuleGivesAPrinterThatAsksTheSetUpFirst) {
    Recording_Print_Setup setup;
    const auto printer = Make_Report_Printer(setup, nullptr, TESSALY_PRINT_MODULE_PATH);
    ASSERT_NE(printer, nullptr);
    EXPECT_TRUE(setup.Said.empty());
}

}  // namespace
}  // namespace tessaly
