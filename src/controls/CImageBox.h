#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

#include <array>

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
    QImage image(int slot = 0) const;

    // Swaps `image` (PNG `resourceId`) for its 2x picture when `painter` draws on a denser
    // device than the image was loaded for.
    static void Sharpen(QImage& image, int resourceId, const QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Slot {
        int resourceId = 0;  // 0 for a picture given directly
        QImage image;
    };
    std::array<Slot, kSlotCount> slots_;
};

}  // namespace controls
