#pragma once

#include "controls/CApproStatic.h"

namespace controls {

// A page title: Verdana 32 px regular in accent blue, left-aligned and vertically centred,
// with an optional second line (setSecondText).
class CTitleStatic : public CApproStatic {
    Q_OBJECT
public:
    static constexpr QColor kAccent{42, 169, 209};

    explicit CTitleStatic(QWidget* parent);
};

}  // namespace controls
