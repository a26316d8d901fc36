#include "ui/common/qt_path.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaly {
namespace {

TEST(Qt_Path, PathsKeepTheirNamesBothWays) {
    const std::filesystem::path path(u8"/tmp/Jos\u00e9 \u5e74 list.dat");
    EXPECT_EQ(To_Qt_Path(path), QString::fromUtf8("/tmp/Jos\u00e9 \u5e74 list.dat"));
    EXPECT_EQ(From_Qt_Path(To_Qt_Path(path)), path);
    EXPECT_EQ(To_Qt_Path({}), QString());
    EXPECT_TRUE(From_Qt_Path(QString()).empty());
}

TEST(Qt_Path, PathsFromQtTakeTheSystemsSeparator) {
    const std::filesystem::path path =
        From_Qt_Path(QStringLiteral("C:/Tessaly Portable/Tessaly.exe"));
#if defined(_WIN32)
    EXPECT_EQ(path.native(), L"C:\\Tessaly Portable\\Tessaly.exe");
#else
    EXPECT_EQ(path.native(), "C:/Tessaly Portable/Tessaly.exe");
#endif
    EXPECT_EQ(path.filename().string(), "Tessaly.exe");
}

}  // namespace
}  // namespace tessaly
