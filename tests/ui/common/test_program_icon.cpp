#include "ui/common/program_icon.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <filesystem>

#include "test_support/temp_dir.h"

namespace {

using namespace tessaly;

// Each size is its own drawing, not one picture scaled: a wrong or missing
// file in the resource shows here rather than as a blurred or blank icon.
TEST(Program_Icon, BuiltInCopyHoldsEverySizeDrawnAtThatSize) {
    const QIcon icon = Built_In_Program_Icon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : Program_Icon_Sizes) {
        const QString file = Built_In_Program_Icon_File(size);
        ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
        const QImage image(file);
        EXPECT_EQ(image.size(), QSize(size, size)) << file.toStdString();
        EXPECT_TRUE(image.hasAlphaChannel()) << file.toStdString();
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size)) << size;
    }
}

class Program_Icon_Theme_Test : public ::testing::Test {
protected:
    void SetUp() override {
        saved_paths_ = QIcon::themeSearchPaths();
        saved_name_ = QIcon::themeName();
        QIcon::setThemeSearchPaths({QString::fromStdString(themes.Path().string())});
        QIcon::setThemeName(QStringLiteral("hicolor"));
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(saved_paths_);
        QIcon::setThemeName(saved_name_);
    }

    test::Temp_Dir themes;

private:
    QStringList saved_paths_;
    QString saved_name_;
};

TEST_F(Program_Icon_Theme_Test, PortableCopyWithoutAThemeEntryShowsTheBuiltInIcon) {
    const QIcon icon = Program_Icon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : Program_Icon_Sizes) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    }
}

TEST_F(Program_Icon_Theme_Test, InstalledIconInTheThemeIsPreferred) {
    const auto file = themes.File("hicolor/48x48/apps/org.example.Tessaly.png");
    std::filesystem::create_directories(file.parent_path());
    test::Write_Bytes(themes.File("hicolor/index.theme"),
                      "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n"
                      "[48x48/apps]\nSize=48\nType=Fixed\n");
    QImage themed(48, 48, QImage::Format_ARGB32);
    themed.fill(Qt::green);
    ASSERT_TRUE(themed.save(QString::fromStdString(file.string())));

    const QIcon icon = Program_Icon();
    EXPECT_EQ(icon.pixmap(48).toImage().pixelColor(24, 24), QColor(Qt::green));
}

// The icon waits for the window's first paint, and a window that is never
// painted (started minimised or hidden) still gets it a little later.
TEST(Program_Icon, ComesAfterTheFirstPaintOrSoonWithoutOne) {
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "never shown");
        QApplication::setWindowIcon(QIcon());
        QWidget window;
        window.resize(120, 80);
        Set_Program_Icon_Once_Shown(window);
        if (shown) {
            window.show();
            window.repaint();  // the icon lookup must not hold this up
            EXPECT_TRUE(QApplication::windowIcon().isNull());
            // Posted by the paint: no waiting needed.
            for (int i = 0; i < 10 && QApplication::windowIcon().isNull(); ++i) {
                QCoreApplication::processEvents();
            }
        } else {
            QElapsedTimer clock;
            clock.start();
            while (QApplication::windowIcon().isNull() && clock.elapsed() < 5000) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
        }
        EXPECT_FALSE(QApplication::windowIcon().isNull());
    }
    QApplication::setWindowIcon(QIcon());
}

}  // namespace
