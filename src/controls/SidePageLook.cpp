#include "controls/SidePageLook.h"

#include <array>

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"

namespace controls {

namespace {

constexpr std::array<int, 4> kCaptionButtonPictures{3045, 3042, 3044, 3043};
constexpr int kCloseCrossPicture = 3060;

}  // namespace

void DressCaptionButton(CApproButton& button) {
    button.LoadStateImages(kCaptionButtonPictures);
}

void DressCloseCross(CIconButton& cross) {
    for (int slot = 1; slot < CStateButton::kSlotCount; ++slot) {
        cross.LoadStateImage(slot, kCloseCrossPicture);
    }
}

}  // namespace controls
