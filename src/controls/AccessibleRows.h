#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

namespace controls {

// What a self-painted list tells assistive tools of its rows: each row is a checkable list
// item with a name, and its action is the row's click.
class AccessibleRows {
public:
    virtual int rowCount() const = 0;
    virtual QString rowDescription(int row) const = 0;
    virtual bool isRowChecked(int row) const = 0;
    // The row the keyboard works on, -1 without rows.
    virtual int focusRow() const = 0;
    // Where the row is, in the list's own coordinates.
    virtual QRect rowRect(int row) const = 0;
    virtual bool isRowShown(int row) const = 0;
    virtual int rowAt(QPoint point) const = 0;
    // What a click on the row's mark does.
    virtual void toggleRow(int row) = 0;

protected:
    ~AccessibleRows() = default;
};

}  // namespace controls
