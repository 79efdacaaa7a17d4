#pragma once

#include <QColor>
#include <QImage>

#include "controls/CStateButton.h"

namespace controls {

// A picture on a filled background that posts 1125 with its id value to its page on click.
// The picture is slot 1 (LoadStateImage(1, id) or setPicture); the window text is not drawn,
// it names the button for assistive tools.
class CImageButton : public CStateButton {
    Q_OBJECT
public:
    static constexpr std::uint32_t kClickMessage = 1125;

    // The id value defaults to the control id.
    CImageButton(int controlId, QWidget* parent);

    void setIdValue(std::intptr_t value) { idValue_ = value; }
    std::intptr_t idValue() const { return idValue_; }

    void setBackgroundColor(const QColor& color);
    bool LoadPicture(int resourceId) { return LoadStateImage(1, resourceId); }
    void setPicture(const QImage& image) { setStateImage(1, image); }

    QFont captionFont() const override;

protected:
    void drawFace(QPainter& painter, int state) override;
    void drawCaption(QPainter&) override {}
    void paintEvent(QPaintEvent* event) override;

private:
    std::intptr_t idValue_;
    QColor background_{Qt::white};
};

}  // namespace controls
