#include "controls/SidePageLook.h"

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"

namespace controls {

namespace {

constexpr int kCaptionButtonPictures[] = {3045, 3042, 3044, 3043};
constexpr int kCloseCrossPicture = 3060;

}  // namespace

void DressCaptionButton(CApproButton& button) {
    button.setBackgroundMode(CStateButton::kPictures);
    for (int slot = 0; slot < CStateButton::kSlotCount; ++slot) {
        button.LoadStateImage(slot, kCaptionButtonPictures[slot]);
    }
}

void DressCloseCross(CIconButton& cross) {
    for (int slot = 1; slot < CStateButton::kSlotCount; ++slot) {
        cross.LoadStateImage(slot, kCloseCrossPicture);
    }
}

}  // namespace controls
