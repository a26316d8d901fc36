#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

namespace tessaly {

// A captioned group of radio buttons laid out in columns, whose selection is
// one item index, or -1 for none.
class Radio_Group : public QGroupBox {
    Q_OBJECT

public:
    explicit Radio_Group(QWidget* parent = nullptr);

    QStringList Items() const;
    void Clear_Items();
    void Add_Item(const QString& text);

    int Columns() const { return columns_; }
    void Set_Columns(int columns);

    int Item_Index() const;
    // An index above the last item selects the last, one below -1 selects none.
    void Set_Item_Index(int index);

    // The button of an item, for tests and tab order; null outside the items.
    QRadioButton* Button(int index) const;

signals:
    // The user picked another item.
    void Clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Arrange_Buttons();

    QButtonGroup* group_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    // The index the user last picked, so that a click on it again is no change.
    int last_clicked_ = -1;
};

}  // namespace tessaly
