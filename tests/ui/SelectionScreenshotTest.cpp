#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <atomic>

#include "UiSupport.h"
#include "controls/CNvrListCtrl.h"
#include "pages/CMacDisplayPage.h"
#include "pages/CNoDevicePage.h"
#include "pages/CWaitingPage.h"

// The recorder list, the waiting box and the two help pages at the screen's density (the suite
// runs once more at 2x).
TEST(Screenshots, SelectionListWaitingAndHelpInEnglishAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/selection");
    ASSERT_TRUE(QDir().mkpath(dir));
    const qreal ratio = qGuiApp->devicePixelRatio();
    const QString suffix = ratio > 1 ? QStringLiteral("@2x") : QString();
    for (int language : {shell::kEnglish, 21}) {
        InLanguage pack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        auto save = [&](QWidget& widget, const QString& name) {
            widget.show();
            QImage shot = widget.grab().toImage();
            EXPECT_EQ(shot.size(), widget.size() * ratio) << name.toStdString();
            if (auto* waiting = qobject_cast<CWaitingPage*>(&widget)) {
                // Its corners as the window's mask cuts them.
                QImage canvas(shot.size(), QImage::Format_RGB32);
                canvas.setDevicePixelRatio(shot.devicePixelRatio());
                canvas.fill(Qt::white);
                QPainter painter(&canvas);
                painter.setClipRegion(waiting->mask());
                painter.drawImage(0, 0, shot);
                shot = canvas;
            }
            const QString path = QStringLiteral("%1/%2-%3%4.png").arg(dir, stem, name, suffix);
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
        };

        const std::atomic<std::int32_t> busy{1};
        WhitePage page;
        const QPoint origin = page.mapToGlobal(QPoint(0, 0));
        CWaitingPage waiting(&page, busy, 10, origin);
        save(waiting, QStringLiteral("waiting"));
        CWaitingPage formatting(&page, busy, 10, origin, 0);
        save(formatting, QStringLiteral("formatting"));

        QWidget host;
        host.resize(688, 220);
        auto* list = new controls::CNvrListCtrl(&host, 0);
        list->setGeometry(0, 0, 688, 220);
        list->addRow(QStringLiteral("192.168.1.20"), QStringLiteral("00:1c:2a:78:0e:01"));
        list->addRow(QStringLiteral("192.168.1.31"), QStringLiteral("00:1c:2a:78:0e:02"));
        list->markRow(0, false);
        save(host, QStringLiteral("list"));

        CMacDisplayPage mac(nullptr, QStringLiteral("001C2A780E01"));
        save(mac, QStringLiteral("mac"));
        CNoDevicePage noDevice(nullptr);
        save(noDevice, QStringLiteral("nodevice"));
    }
}
