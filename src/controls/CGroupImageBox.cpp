#include "controls/CGroupImageBox.h"

namespace controls {

CGroupImageBox::CGroupImageBox(QWidget* parent) : CImageBox(parent) {
    LoadStateImage(0, kImageId);
}

}  // namespace controls
