#pragma once

#include "controls/CApproButton2.h"

namespace controls {

// Draws as CApproButton2. Its own class because pages name it; the difference of the
// original (restoring the background under a latched face) is what Qt's painting always does.
class CApproButton3 : public CApproButton2 {
    Q_OBJECT
public:
    CApproButton3(int controlId, QWidget* parent);
};

}  // namespace controls
