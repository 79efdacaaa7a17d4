#include "controls/CApproButton3.h"

namespace controls {

CApproButton3::CApproButton3(int controlId, QWidget* parent) : CApproButton2(controlId, parent) {}

}  // namespace controls
