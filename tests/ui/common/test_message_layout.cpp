#include "ui/common/message_layout.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include "test_support/wait_until.h"
#include "test_support/wine.h"
#include "ui/common/message_boxes.h"

namespace tessaly {
namespace {

const QChar Joiner(0x2060);

// The lines a text takes at a width, as Qt breaks them.
QStringList Lines_At(const QString& text, int width) {
    QTextLayout layout(text, QApplication::font());
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

TEST(Unbreakable_Hyphens_Test, NoLineEndsInsideAHyphenatedWord) {
    const QString text = Unbreakable_Hyphens(
        "This program will now run automatically at Windows Start-Up, or no-longer.");
    for (int width = 20; width < 600; ++width) {
        for (const QString& line : Lines_At(text, width)) {
            SCOPED_TRACE(width);
            EXPECT_FALSE(line.trimmed().endsWith(u'-')) << line.toStdString();
            EXPECT_FALSE(line.trimmed().endsWith(Joiner)) << line.toStdString();
        }
    }
    // What the user reads is unchanged.
    EXPECT_EQ(QString(text).remove(Joiner),
              "This program will now run automatically at Windows Start-Up, or no-longer.");
}

TEST(Unbreakable_Hyphens_Test, KeepsDashesBetweenWordsAndTheTagsOfRichText) {
    EXPECT_EQ(Unbreakable_Hyphens("a - b -c d- 1998-02-14"),
              QString("a - b -c d- 1998-") + Joiner + "02-" + Joiner + "14");
    EXPECT_EQ(Unbreakable_Hyphens_In_Rich_Text("<span style=\"x-y\">Start-Up</span> <u>A</u>-b"),
              QString("<span style=\"x-y\">Start-") + Joiner + "Up</span> <u>A</u>-b");
}

// Lines longer than Qt's usual wrapping width, with short ones among them.
const QString Long_Lines =
    "The directory / path settings required to make this program (tessaly)\n"
    "run automatically at Windows Start-up do not match where the program \n"
    "is currently being run from.\n\n"
    " Old      = /home/someone/Programs/Tessaly/old-place/tessaly\n"
    " Current = /home/someone/Programs/Tessaly/new-place/tessaly";

// Every line of the text on a line of its own: laid out at the label's width
// the text is no taller than it is unwrapped.
void Expect_Unwrapped(const QMessageBox& box) {
    if (test::Running_Under_Wine()) {
        return;  // Wine draws text with other metrics than Windows
    }
    const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->heightForWidth(label->contentsRect().width()), label->heightForWidth(100000));
    EXPECT_LE(box.frameGeometry().width(), box.screen()->availableGeometry().width());
}

TEST(Fitted_Message_Box_Test, IsAsWideAsItsLongestLine) {
    Fitted_Message_Box box(QMessageBox::Warning, "Tessaly", Long_Lines,
                           QMessageBox::Yes | QMessageBox::No, nullptr);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    Expect_Unwrapped(box);
    EXPECT_EQ(QString(box.text()).remove(Joiner), Long_Lines);
}

// A line longer than the screen wraps, but not inside "Start-Up".
TEST(Fitted_Message_Box_Test, WrapsOnlyWhatTheScreenCannotHold) {
    QString very_long;
    while (very_long.size() < 600) {
        very_long += "Windows Start-Up ";
    }
    Fitted_Message_Box box(QMessageBox::Information, "Tessaly", very_long, QMessageBox::Ok,
                           nullptr);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_LE(box.frameGeometry().width(), box.screen()->availableGeometry().width());
    const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_GT(label->heightForWidth(label->contentsRect().width()), label->heightForWidth(100000));
}

TEST(Qt_Message_Boxes_Test, ShowsTheFittedBoxAndGivesTheAnswer) {
    bool checked = false;
    QTimer::singleShot(0, [&checked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        TESSALY_WAIT_UNTIL(box->isVisible());
        Expect_Unwrapped(*box);
        // No is the default: only Yes goes on.
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()),
                  box->button(QMessageBox::No));
        checked = true;
        box->button(QMessageBox::Yes)->click();
    });
    Qt_Message_Boxes boxes;
    EXPECT_EQ(boxes.Show(nullptr, Message_Kind::Confirmation, "Tessaly", Long_Lines),
              Message_Answer::Yes);
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace tessaly
