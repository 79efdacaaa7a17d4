#pragma once

#include "controls/CImageBox.h"

namespace controls {

// The picture box that shows the group picture (PNG 4051).
class CGroupImageBox : public CImageBox {
    Q_OBJECT
public:
    static constexpr int kImageId = 4051;

    explicit CGroupImageBox(QWidget* parent = nullptr);
};

}  // namespace controls
