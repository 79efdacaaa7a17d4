#pragma once

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

#include "controls/CRowList.h"
#include "controls/ResourcePicture.h"

namespace controls {

class CCamHeaderCtrl;

// The camera list of the camera step: a header, rows with a check box, a running number, the
// model, a preview icon when the camera's password is known, and the IP. The list only shows
// and routes: a click on a row's box asks the page (1131 with the row), a click on the preview
// icon asks for the preview (1125 with kind 8 and the row) after noting where the icon is.
class CCamListCtrl : public CRowList {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 36;
    static constexpr int kTickedId = 4009;
    static constexpr int kUntickedId = 4010;
    static constexpr int kPreviewId = 4011;
    static constexpr QSize kBoxSize{30, 25};
    static constexpr QSize kIconSize{20, 15};
    static constexpr int kTextSize = 15;
    static constexpr int kTextInset = 2;
    static constexpr QColor kTextColor{0, 0, 0};
    static constexpr QColor kGreyColor{127, 127, 127};
    static constexpr QColor kFocusColor{42, 169, 209};
    static constexpr int kThumbId = 3053;

    struct Row {
        QString model;
        QString ip;
        bool ticked = false;
        bool passwordKnown = false;
    };

    // Requests go to `page`.
    CCamListCtrl(QWidget* parent, platform::WindowId page);

    void setRows(std::vector<Row> rows);
    void clearRows();
    // Changes one row's marks and repaints it.
    void setRowState(int row, bool ticked, bool passwordKnown);
    const Row* row(int index) const;
    // Unticked rows drawn grey: no more may be ticked.
    void setGreyed(bool greyed);
    bool greyed() const { return greyed_; }

    // Where the last preview request pointed, in screen coordinates: right edge of the icon's
    // cell less 5, and its middle plus 2.
    QPoint previewAnchor() const { return previewAnchor_; }
    // Asks for the preview of `row` as a click on its icon would; nothing without the icon.
    void requestPreview(int row);

    QRect cellRect(int row, int column) const;
    int columnAt(QPoint point) const;

    void retranslate();

    CCamHeaderCtrl* header() const { return header_; }

    // AccessibleRows
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    QString rowDescription(int row) const override;
    bool isRowChecked(int row) const override;
    int focusRow() const override;
    QRect rowRect(int row) const override;
    void toggleRow(int row) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintRows(QWidget& viewport) override;
    void rowsMouse(QMouseEvent& event, QPoint at) override;

private:
    void moveFocus(int row);

    platform::WindowId page_;
    CCamHeaderCtrl* header_;
    ResourcePicture ticked_;
    ResourcePicture unticked_;
    ResourcePicture preview_;
    std::vector<Row> rows_;
    bool greyed_ = false;
    int focusRow_ = -1;
    QPoint previewAnchor_;
};

}  // namespace controls
