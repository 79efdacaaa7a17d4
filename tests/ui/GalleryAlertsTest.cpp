#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "../unit/TestSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CErrorPage.h"
#include "controls/CHyperLink.h"
#include "controls/CLinkStatic.h"
#include "controls/CLinkStatic2.h"
#include "controls/CNetAlarmPage.h"
#include "controls/ResourceImage.h"
#include "shell/LanguagePack.h"
#include "shell/WindowShape.h"

// Draws the link controls and the alert pages at 1x and 2x for people to look at.
namespace {

const QColor kVeil(102, 102, 102);  // white under the overlay's 60 % black
constexpr int kMargin = 16;

QString GalleryDir() {
    return QStringLiteral(ORB_SCREENS_DIR "/gallery");
}

// Renders `widget` on `backdrop` with a margin around it, clipped to its window mask. Only what
// the widget paints itself: links are transparent over their page.
QImage Render(QWidget& widget, const QColor& backdrop, qreal ratio) {
    const QSize logical = widget.size() + QSize(2 * kMargin, 2 * kMargin);
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(backdrop);
    QPainter painter(&image);
    const QRegion shape = widget.mask().isEmpty() ? QRegion(widget.rect()) : widget.mask();
    widget.render(&painter, QPoint(kMargin, kMargin), shape, QWidget::DrawChildren);
    return image;
}

void Save(QWidget& widget, const QString& name, const QColor& backdrop) {
    ASSERT_TRUE(QDir().mkpath(GalleryDir()));
    for (int ratio : {1, 2}) {
        const QImage image = Render(widget, backdrop, ratio);
        const QString path = QStringLiteral("%1/%2-%3x.png").arg(GalleryDir(), name).arg(ratio);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        EXPECT_EQ(image.width(), (widget.width() + 2 * kMargin) * ratio);
    }
}

QImage HelpIcon() {
    QImage icon = controls::ResourceImage(3064);
    if (!icon.isNull()) {
        return icon;
    }
    icon = QImage(24, 24, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(42, 169, 209));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(1, 1, 22, 22));
    return icon;
}

class GalleryAlerts : public ::testing::Test {
protected:
    void language(int index) {
        shell::SetLanguageIndex(index);
        shell::LoadLanguagePack(index);
    }
    ~GalleryAlerts() override { shell::SetLanguageIndex(shell::kEnglish); }

    ScopedTempFolder temp;
};

}  // namespace

TEST_F(GalleryAlerts, LinkControls) {
    language(shell::kEnglish);
    QWidget page;
    page.resize(400, 200);

    controls::CLinkStatic normal(&page, 13);
    normal.setGeometry(0, 0, 260, 24);
    normal.setTextFont(14, false);
    normal.setText(shell::LookupText(u"nvrsearch_06", u"Can not find your NVR") + u'?');
    Save(normal, QStringLiteral("link-normal"), Qt::white);

    controls::CLinkStatic iconLeft(&page, 2);
    iconLeft.setGeometry(0, 0, 300, 24);
    iconLeft.setTextFont(13, true);
    iconLeft.setColor(QColor(102, 102, 102));
    iconLeft.setIconLeft(true);
    iconLeft.setIcon(HelpIcon());
    iconLeft.setText(QStringLiteral("What does the red LED mean?"));
    Save(iconLeft, QStringLiteral("link-iconleft"), Qt::white);

    controls::CLinkStatic inert(&page, controls::CLinkStatic::kInert);
    inert.setGeometry(0, 0, 260, 24);
    inert.setTextFont(14, false);
    inert.setColor(QColor(150, 150, 150));
    inert.setText(QStringLiteral("Reset help (inert)"));
    Save(inert, QStringLiteral("link-inert"), Qt::white);

    controls::CLinkStatic2 wrapping(&page, 6);
    wrapping.setGeometry(0, 0, 220, 60);
    wrapping.setTextFont(13, false);
    wrapping.setIconLeft(true);
    wrapping.setIcon(HelpIcon());
    wrapping.setText(QStringLiteral("How do I install my cameras on the same network?"));
    Save(wrapping, QStringLiteral("link2-wrapping"), Qt::white);

    controls::CHyperLink hyper(&page);
    hyper.setGeometry(0, 0, 220, 20);
    hyper.setText(QStringLiteral("Terms of Service"));
    Save(hyper, QStringLiteral("hyperlink"), Qt::white);
}

TEST_F(GalleryAlerts, AlertPages) {
    language(shell::kEnglish);
    {
        controls::CAlarmDisplayPage page(nullptr, 1, 1);
        Save(page, QStringLiteral("alarm-11"), kVeil);
    }
    {
        controls::CAlarmDisplayPage page(nullptr, 0, 0);
        Save(page, QStringLiteral("alarm-00"), kVeil);
    }
    {
        controls::CNetAlarmPage page(nullptr);
        Save(page, QStringLiteral("netalarm-en"), kVeil);
    }
    {
        controls::CErrorPage page(nullptr);
        page.setErrorText(QStringLiteral("Check Network Failed!"));
        Save(page, QStringLiteral("error"), kVeil);
    }
    language(21);
    {
        controls::CNetAlarmPage page(nullptr);
        Save(page, QStringLiteral("netalarm-jp"), kVeil);
    }
    language(6);
    {
        controls::CAlarmDisplayPage page(nullptr, 0, 0);
        Save(page, QStringLiteral("alarm-00-de"), kVeil);
    }
}
