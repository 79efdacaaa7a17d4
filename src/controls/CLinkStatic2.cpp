#include "controls/CLinkStatic2.h"

namespace controls {

CLinkStatic2::CLinkStatic2(QWidget* parent, int kind) : CLinkStatic(parent, kind) {}

}  // namespace controls
