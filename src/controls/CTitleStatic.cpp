#include "controls/CTitleStatic.h"

namespace controls {

CTitleStatic::CTitleStatic(QWidget* parent) : CApproStatic(parent) {
    useVerdana32();
    setTextColor(kAccent);
    setAlignment(Align::Left);
    setVerticalCentre(true);
}

}  // namespace controls
