#pragma once

#include <QImage>
#include <QSizeF>

class QPainter;
class QWidget;

namespace controls {

// A picture of a resource id that follows the density of whatever draws it: the 1x or the 2x
// rendering, loaded again whenever the ratio asked for needs the other one (a window moved to
// a screen of another ratio, a widget grabbed at 2x). A picture given as an image is kept as
// given.
//
// Hold one per picture in the control and ask for the image at paint time:
//
//     ResourcePicture background_{4051};
//     ...
//     void paintEvent(QPaintEvent*) override {
//         QPainter painter(this);
//         painter.drawImage(rect(), background_.image(painter));
//     }
//
// The images carry their device pixel ratio, so both renderings draw at the same logical size.
class ResourcePicture {
public:
    ResourcePicture() = default;
    // Loads the rendering for `devicePixelRatio` (the application's when not given).
    explicit ResourcePicture(int resourceId);
    ResourcePicture(int resourceId, qreal devicePixelRatio);
    // A picture made elsewhere; never reloaded.
    explicit ResourcePicture(QImage image);

    // 0 for a picture given as an image.
    int resourceId() const { return resourceId_; }
    bool isNull() const { return image_.isNull(); }

    // The rendering for `devicePixelRatio`, loaded first when the current one is for the other.
    const QImage& image(qreal devicePixelRatio);
    // The rendering for the device `painter` draws on.
    const QImage& image(const QPainter& painter);
    // What is loaded now, whatever ratio it is for.
    const QImage& image() const { return image_; }

    // The size in logical pixels, the same for both renderings.
    QSizeF size() const { return image_.deviceIndependentSize(); }

    // The density `painter` really draws at. Rendering a widget into a 2x image reaches it
    // through a redirected painter whose device is the widget; the device transform carries
    // the scale then.
    static qreal DeviceRatioOf(const QPainter& painter);
    // The density of the screen `widget` is on.
    static qreal DeviceRatioOf(const QWidget& widget);

private:
    // 1 or 2: the rendering a ratio needs.
    static int RenderingFor(qreal devicePixelRatio);
    void load(int rendering);

    int resourceId_ = 0;
    int rendering_ = 0;  // what image_ was loaded for; 0 for a given image
    QImage image_;
};

}  // namespace controls
