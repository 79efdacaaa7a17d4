#include "shell/FlowTrace.h"

Q_LOGGING_CATEGORY(lcFlow, "orb.flow", QtWarningMsg)
