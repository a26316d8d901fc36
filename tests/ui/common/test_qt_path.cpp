#include "ui/common/qt_path.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessaly {
namespace {

TEST(Qt_Path, PathsKeepTheirNamesBothWays) {
    const std::filesystem::path path("/tmp/Jos\xc3\xa9 \xe5\xb9\xb4 list.dat");
    EXPECT_EQ(To_Qt_Path(path), QString::fromUtf8("/tmp/Jos\u00e9 \u5e74 list.dat"));
    EXPECT_EQ(From_Qt_Path(To_Qt_Path(path)), path);
    EXPECT_EQ(To_Qt_Path({}), QString());
    EXPECT_TRUE(From_Qt_Path(QString()).empty());
}

}  // namespace
}  // namespace tessaly
