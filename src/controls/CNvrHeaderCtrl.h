#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

#include "controls/ResourcePicture.h"
#include "platform/WindowMessage.h"

namespace controls {

// The header of the recorder list: a blue picture with the three headings, and the help icon
// after the MAC heading that asks for the MAC location help. It also holds the columns the
// rows are drawn in.
class CNvrHeaderCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 8;
    static constexpr std::array<int, kColumnCount> kColumnWidths{60, 40, 25, 40, 30, 200, 20, 210};
    static constexpr int kNumberColumn = 3;
    static constexpr int kIpColumn = 5;
    static constexpr int kMacColumn = 7;

    static constexpr int kHeight = 34;
    static constexpr int kBackgroundId = 3052;
    static constexpr int kHelpIconId = 4083;
    static constexpr int kHelpIconGap = 2;    // after the heading text
    static constexpr int kHelpIconInset = 5;  // inside the top and bottom
    static constexpr int kTextSize = 17;
    static constexpr QColor kTextColor{255, 255, 255};

    // Presses on the help icon are reported to `target` (the list).
    CNvrHeaderCtrl(QWidget* parent, platform::WindowId target);

    // Column `column` from x 0 over `height` pixels; empty outside 0..7.
    static QRect ColumnRect(int column, int height);

    // The headings in the active language.
    void retranslate();
    QString heading(int column) const;

    QRect helpIconRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    platform::WindowId target_;
    std::array<QString, kColumnCount> headings_;
    ResourcePicture background_;
    ResourcePicture helpIcon_;
    bool iconPressed_ = false;
};

}  // namespace controls
