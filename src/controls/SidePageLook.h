#pragma once

namespace controls {

class CApproButton;
class CIconButton;

// The side pages' caption buttons (OK, CANCEL, Close) and their close cross share one look.
void DressCaptionButton(CApproButton& button);
void DressCloseCross(CIconButton& cross);

}  // namespace controls
