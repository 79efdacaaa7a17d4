#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

#include "controls/ResourcePicture.h"

namespace controls {

// The header of the camera list: a blue picture with the "No.", model and IP headings. It also
// holds the columns the rows are drawn in.
class CCamHeaderCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 9;
    static constexpr std::array<int, kColumnCount> kColumnWidths{86,  32, 32, 46, 47,
                                                                 149, 26, 72, 176};
    static constexpr int kBoxColumn = 1;
    static constexpr int kNumberColumn = 3;
    static constexpr int kModelColumn = 5;
    static constexpr int kPreviewColumn = 6;
    static constexpr int kIpColumn = 8;

    static constexpr int kHeight = 34;
    static constexpr int kBackgroundId = 3052;
    static constexpr int kTextSize = 13;
    static constexpr QColor kTextColor{255, 255, 255};

    explicit CCamHeaderCtrl(QWidget* parent);

    // Column `column` from x 0 over `height` pixels; empty outside 0..8.
    static QRect ColumnRect(int column, int height);
    // The column under x, -1 for none.
    static int ColumnAt(int x);

    void retranslate();
    QString heading(int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QString, kColumnCount> headings_;
    ResourcePicture background_;
};

}  // namespace controls
