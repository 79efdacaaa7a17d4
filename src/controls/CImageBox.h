#pragma once

#include <QImage>
#include <QWidget>

#include <array>

#include "controls/ResourcePicture.h"

namespace controls {

// One picture stretched to the control. Like the wizard's other picture controls it has four
// slots; slot 0 is the one shown.
class CImageBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 4;

    explicit CImageBox(QWidget* parent = nullptr);

    // Loads PNG `resourceId` into `slot`, replacing what was there; false for a bad slot or a
    // missing picture.
    bool LoadStateImage(int slot, int resourceId);
    void setImage(int slot, const QImage& image);
    // The slot's picture as last loaded.
    QImage image(int slot = 0) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<ResourcePicture, kSlotCount> slots_;
};

}  // namespace controls
