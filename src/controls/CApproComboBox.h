#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

#include "platform/WindowMessage.h"

namespace controls {

class CComboBoxList;

// The wizard's combo box: shows the chosen text and opens a CComboBoxList below itself. The list
// posts 1129 with the chosen index to `notify`; the box shows the choice at once.
class CApproComboBox : public QWidget {
    Q_OBJECT
public:
    static constexpr QColor kText{100, 100, 100};
    static constexpr QColor kBorder{192, 192, 192};
    static constexpr QColor kFocusBorder{42, 169, 209};
    static constexpr int kCornerRadius = 3;
    static constexpr int kTextSize = 18;
    static constexpr int kListGap = 2;  // between the box and its list

    CApproComboBox(platform::WindowId notify, QWidget* parent);

    void setItems(const QStringList& items);
    QStringList items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }

    // -1 or an index out of range shows an empty box.
    void setCurrentIndex(int index);
    int currentIndex() const { return current_; }
    QString currentText() const;

    void setMaxVisibleItems(int rows);

    void showList();
    void hideList();
    bool isListShown() const;
    CComboBoxList* list() const { return list_; }

    QSize sizeHint() const override;

signals:
    void listShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QStringList items_;
    int current_ = -1;
    CComboBoxList* list_ = nullptr;
};

}  // namespace controls
