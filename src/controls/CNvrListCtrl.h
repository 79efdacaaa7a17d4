#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

#include "controls/CRowList.h"
#include "controls/ResourcePicture.h"

namespace controls {

class CNvrHeaderCtrl;

// The recorder list of the selection page: a header, 44-px rows with a running number, IP and
// MAC, and a radio mark in column 1 that one row at most holds. Marking a row by mouse or
// keyboard tells the page (1137); the header's help icon reaches the page through the list
// (1125 with kind 4).
class CNvrListCtrl : public CRowList {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 44;
    static constexpr int kColumnShift = 4;  // rows are drawn this far right of the header
    static constexpr int kRadioColumn = 1;
    static constexpr int kRadioOffId = 4082;
    static constexpr int kRadioOnId = 4013;
    static constexpr int kRadioSize = 25;
    static constexpr int kRadioTopInset = 5;  // centred between row top + 5 and row bottom
    static constexpr int kTextInset = 5;
    static constexpr int kTextSize = 17;
    static constexpr QColor kTextColor{0x60, 0x60, 0x60};
    static constexpr QColor kFocusColor{42, 169, 209};
    static constexpr int kThumbId = 3053;

    // Marks and the header's help request go to `page`.
    CNvrListCtrl(QWidget* parent, platform::WindowId page);

    // A row numbered rowCount() + 1, not marked.
    void addRow(const QString& ipText, const QString& macText);
    void clearRows();
    int rowCount() const override { return static_cast<int>(rows_.size()); }

    QString ipText(int row) const;
    QString macText(int row) const;
    // "No. N, IP, MAC": what assistive tools read for a row.
    QString rowDescription(int row) const override;
    bool isMarked(int row) const;
    // The lowest marked row, -1 for none.
    int firstMarkedRow() const;
    // Marks `row` alone; with `notifyPage` the page hears of it (1137). Nothing for a row that
    // does not exist.
    void markRow(int row, bool notifyPage);

    // The row the keyboard works on: the last marked one, else the first; -1 without rows.
    int focusRow() const override;

    // What a cell of a row covers in the list's own coordinates (rows scroll under the header).
    QRect cellRect(int row, int column) const;
    // The row and column under a point of the list, -1 each for none.
    int columnAt(QPoint point) const;

    bool isRowChecked(int row) const override { return isMarked(row); }
    QRect rowRect(int row) const override;
    void toggleRow(int row) override;

    // The headings and the list's name in the active language.
    void retranslate();

    CNvrHeaderCtrl* header() const { return header_; }

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintRows(QWidget& viewport) override;
    void rowsMouse(QMouseEvent& event, QPoint at) override;

private:
    struct Row {
        QString number;
        QString ip;
        QString mac;
        bool marked = false;
    };

    void notifyAccessibility(int row);

    platform::WindowId page_;
    CNvrHeaderCtrl* header_;
    ResourcePicture radioOff_;
    ResourcePicture radioOn_;
    std::vector<Row> rows_;
    int focusRow_ = -1;
};

}  // namespace controls
