#pragma once

#include "controls/CLinkStatic.h"

namespace controls {

// A help link whose text wraps over several lines within the control's width.
class CLinkStatic2 : public CLinkStatic {
    Q_OBJECT
public:
    explicit CLinkStatic2(QWidget* parent, int kind = kInert);

protected:
    bool wraps() const override { return true; }
};

}  // namespace controls
