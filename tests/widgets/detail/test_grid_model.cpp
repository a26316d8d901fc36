#include "widgets/detail/grid_model.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <vector>

namespace {

using tessaly::detail::Grid_Model;

// Warnings from the model tester, gathered instead of printed.
std::vector<QString>& Warnings() {
    static std::vector<QString> warnings;
    return warnings;
}

void Gather(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        Warnings().push_back(message);
    }
}

class Grid_Model_Test : public ::testing::Test {
protected:
    void SetUp() override {
        Warnings().clear();
        previous_ = qInstallMessageHandler(Gather);
    }
    void TearDown() override { qInstallMessageHandler(previous_); }

    // Names each cell after its place, so that a moved text tells where it
    // came from.
    void Fill() {
        for (int row = 0; row < model.rowCount(); ++row) {
            for (int col = 0; col < model.columnCount(); ++col) {
                model.Set_Text(col, row, QString("%1,%2").arg(col).arg(row));
            }
        }
    }

    Grid_Model model{nullptr};
    QtMessageHandler previous_ = nullptr;
};

TEST_F(Grid_Model_Test, GrowingAndShrinkingKeepsTextsInTheirCells) {
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    model.Set_Cols(3);
    model.Set_Rows(4);
    Fill();
    model.Set_Cols(5);
    EXPECT_EQ(model.Text(2, 3), "2,3");
    EXPECT_EQ(model.Text(4, 3), "");
    model.Set_Cols(2);
    model.Set_Rows(2);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.Text(1, 1), "1,1");
    EXPECT_EQ(model.Text(0, 1), "0,1");
    model.Set_Rows(3);
    model.Set_Cols(3);
    EXPECT_EQ(model.Text(1, 1), "1,1");
    EXPECT_EQ(model.Text(2, 2), "") << "cells that come back are empty";
    EXPECT_TRUE(Warnings().empty()) << Warnings().front().toStdString();
}

// The model tester checks rows only; columns are checked here.
TEST_F(Grid_Model_Test, ColumnsThatComeAndGoAreAnnouncedWithTheirRange) {
    QSignalSpy inserted(&model, &QAbstractItemModel::columnsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::columnsRemoved);
    model.Set_Cols(4);
    model.Set_Cols(4);
    model.Set_Cols(2);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 2);
    EXPECT_EQ(removed[0][2].toInt(), 3);
}

TEST_F(Grid_Model_Test, AMovedColumnTakesItsTextInEveryRowAndRepaintsTheSpan) {
    model.Set_Cols(4);
    model.Set_Rows(3);
    Fill();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.Move_Col(3, 1);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(model.Text(0, row), QString("0,%1").arg(row));
        EXPECT_EQ(model.Text(1, row), QString("3,%1").arg(row));
        EXPECT_EQ(model.Text(2, row), QString("1,%1").arg(row));
        EXPECT_EQ(model.Text(3, row), QString("2,%1").arg(row));
    }
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(0, 1));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(2, 3));
}

TEST_F(Grid_Model_Test, ATextChangeIsAnnouncedOnlyWhenTheTextDiffers) {
    model.Set_Cols(2);
    model.Set_Rows(2);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.Set_Text(1, 1, "a");
    model.Set_Text(1, 1, "a");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, 1));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), "a");
    EXPECT_FALSE(model.data(model.index(1, 1), Qt::EditRole).isValid());
    EXPECT_FALSE(model.flags(model.index(1, 1)) & Qt::ItemIsEditable);
}

}  // namespace
