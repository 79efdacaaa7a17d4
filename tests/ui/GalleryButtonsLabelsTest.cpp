#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <functional>

#include "controls/CApproButton.h"
#include "controls/CApproButton2.h"
#include "controls/CApproButton3.h"
#include "controls/CApproButton4.h"
#include "controls/CApproStatic.h"
#include "controls/CApproStatic2.h"
#include "controls/CBaseStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageButton.h"
#include "controls/CRectStatic.h"
#include "controls/CRoundBack.h"
#include "controls/CTitleStatic.h"
#include "controls/Fonts.h"
#include "platform/MessageWindow.h"

// Every button and label of the toolkit in every state, at 1x and 2x, for people to look at.
namespace {

const QString kDir = QStringLiteral(ORB_SCREENS_DIR "/gallery");
constexpr QSize kButton(150, 43);
constexpr int kColumn = 170;
constexpr int kRow = 60;
constexpr int kLeft = 170;

class Canvas : public platform::MessageWindow<QWidget> {
public:
    explicit Canvas(QSize size) : MessageWindow<QWidget>(nullptr) { resize(size); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(246, 248, 250));
    }
};

// A face drawn at 2x so it stays sharp on HiDPI: a rounded plate with a soft rim.
QImage Face(QColor fill, QColor rim, bool outlineOnly = false) {
    QImage image(kButton * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(rim, 1));
    p.setBrush(outlineOnly ? QBrush(Qt::NoBrush) : QBrush(fill));
    p.drawRoundedRect(QRectF(0.5, 0.5, kButton.width() - 1, kButton.height() - 1), 5, 5);
    return image;
}

// The slot pictures pages load, or drawn stand-ins while the art is not there.
void LoadFaces(controls::CStateButton& button) {
    // As the pages load them: 3045 with the states 3042, 3044, 3043.
    if (button.LoadStateImage(0, 3045)) {
        button.LoadStateImage(1, 3042);
        button.LoadStateImage(2, 3044);
        button.LoadStateImage(3, 3043);
        return;
    }
    button.setStateImage(0, Face(QColor(190, 196, 202), QColor(170, 176, 182)));
    button.setStateImage(1, Face(QColor(42, 169, 209), QColor(20, 130, 170)));
    button.setStateImage(2, Face(QColor(0, 100, 150), QColor(0, 70, 110)));
    button.setStateImage(3, Face(QColor(90, 195, 230), QColor(42, 169, 209)));
}

// A "?" help picture, the kind of picture an image button carries.
QImage HelpPicture() {
    QImage image(QSize(kButton.height(), kButton.height()) * 2,
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(42, 169, 209));
    const QRectF circle(8.5, 8.5, 26, 26);
    p.drawEllipse(circle);
    QFont font = controls::UiFont(17, true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

controls::CApproStatic* Caption(QWidget* parent, QRect where, const QString& text) {
    auto* label = new controls::CApproStatic(parent);
    label->setGeometry(where);
    label->useVerdana(12);
    label->setTextColor(QColor(80, 80, 80));
    label->setVerticalCentre(true);
    label->setText(text);
    return label;
}

void Save(QWidget& canvas, const QString& name) {
    ASSERT_TRUE(QDir().mkpath(kDir));
    for (int ratio : {1, 2}) {
        QImage image(canvas.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        canvas.render(&image);
        const QString path = QStringLiteral("%1/%2-%3x.png").arg(kDir, name).arg(ratio);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
    }
}

}  // namespace

TEST(GalleryButtonsLabels, ButtonsInEveryState) {
    using Make = std::function<controls::CStateButton*(QWidget*)>;
    const std::pair<QString, Make> rows[] = {
        {QStringLiteral("CApproButton (gradient)"),
         [](QWidget* p) { return new controls::CApproButton(1, p); }},
        {QStringLiteral("CApproButton (pictures)"),
         [](QWidget* p) {
             auto* b = new controls::CApproButton(1, p);
             b->setBackgroundMode(controls::CStateButton::kPictures);
             LoadFaces(*b);
             return b;
         }},
        {QStringLiteral("CApproButton2"),
         [](QWidget* p) {
             auto* b = new controls::CApproButton2(1, p);
             LoadFaces(*b);
             return b;
         }},
        {QStringLiteral("CApproButton3"),
         [](QWidget* p) {
             auto* b = new controls::CApproButton3(1, p);
             LoadFaces(*b);
             return b;
         }},
        {QStringLiteral("CApproButton4"),
         [](QWidget* p) {
             auto* b = new controls::CApproButton4(1, p);
             LoadFaces(*b);
             return b;
         }},
        {QStringLiteral("CIconButton"),
         [](QWidget* p) {
             auto* b = new controls::CIconButton(1, p);
             LoadFaces(*b);
             QImage icon(24, 24, QImage::Format_ARGB32_Premultiplied);
             icon.setDevicePixelRatio(2);
             icon.fill(Qt::transparent);
             QPainter painter(&icon);
             painter.setRenderHint(QPainter::Antialiasing);
             painter.setPen(QPen(Qt::white, 1.5));
             painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
             b->setIconImage(icon);
             return b;
         }},
        {QStringLiteral("CImageButton"),
         [](QWidget* p) {
             auto* b = new controls::CImageButton(1, p);
             b->setBackgroundColor(QColor(232, 236, 239));
             b->setPicture(HelpPicture());
             return b;
         }},
    };
    const QString states[] = {QStringLiteral("0 disabled"), QStringLiteral("1 normal"),
                              QStringLiteral("2 pressed"), QStringLiteral("3 hover"),
                              QStringLiteral("latched")};
    const QString captions[] = {QStringLiteral("NEXT   >"), QStringLiteral("WEITER"),
                                QString::fromUtf16(u"次へ"), QStringLiteral("Apply"),
                                QStringLiteral("OK")};
    Canvas canvas(QSize(kLeft + 5 * kColumn, 40 + kRow * static_cast<int>(std::size(rows))));
    for (int c = 0; c < 5; ++c) {
        Caption(&canvas, QRect(kLeft + c * kColumn, 8, kButton.width(), 24), states[c])
            ->setAlignment(controls::CApproStatic::Align::Centre);
    }
    int y = 40;
    for (const auto& [name, make] : rows) {
        Caption(&canvas, QRect(10, y, kLeft - 20, kButton.height()), name);
        for (int c = 0; c < 5; ++c) {
            controls::CStateButton* b = make(&canvas);
            const bool square = qobject_cast<controls::CImageButton*>(b) != nullptr;
            b->setGeometry(
                kLeft + c * kColumn + (square ? (kButton.width() - kButton.height()) / 2 : 0), y,
                square ? kButton.height() : kButton.width(), kButton.height());
            b->setText(captions[c]);
            b->setEnabled(c != 0);
            b->setDown(c == 2);
            b->setLatched(c == 4);
            if (c == 3) {
                QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
                QCoreApplication::sendEvent(b, &enter);
            }
            EXPECT_EQ(b->state(), c == 4 ? 2 : c) << name.toStdString();
        }
        y += kRow;
    }
    Save(canvas, QStringLiteral("buttons"));
}

TEST(GalleryButtonsLabels, LabelsInEnglishGermanAndJapanese) {
    struct Sample {
        QString title;
        QString second;
        QString body;
        QString error;
        bool alternative;
    };
    const Sample samples[] = {
        {QStringLiteral("Hard drive"), QStringLiteral("Step 4 of 11"),
         QStringLiteral("Make sure the cameras are on the network before you start the "
                        "<br>ORB-780Z</br> Setup Wizard. Then press <br>Next</br>."),
         QStringLiteral("Error: The password is wrong."), false},
        {QStringLiteral("Festplatte"), QStringLiteral("Schritt 4 von 11"),
         QStringLiteral("Stellen Sie sicher, dass die Kameras mit dem Netzwerk verbunden sind, "
                        "bevor Sie den <br>ORB-780Z</br> Einrichtungsassistenten starten."),
         QStringLiteral("Fehler: Das Kennwort ist falsch."), false},
        {QString::fromUtf16(u"ハードディスク"), QString::fromUtf16(u"ステップ 4 / 11"),
         QString::fromUtf16(u"<br>ORB-780Z</br> セットアップウィザードを開始する前に、"
                            u"カメラがネットワークに接続されていることを確認してください。"),
         QString::fromUtf16(u"エラー: パスワードが正しくありません。"), true},
    };
    constexpr int kWidth = 300;
    Canvas canvas(QSize(3 * (kWidth + 30) + 20, 560));
    int x = 20;
    for (const Sample& s : samples) {
        auto* title = new controls::CTitleStatic(&canvas);
        title->setGeometry(x, 10, kWidth, 44);
        title->setText(s.title);
        auto* title2 = new controls::CTitleStatic(&canvas);
        title2->setGeometry(x, 56, kWidth, 64);
        title2->setPixelSize(22);
        title2->setText(s.title);
        title2->setSecondText(s.second);

        auto* tahoma = new controls::CApproStatic(&canvas);
        tahoma->setGeometry(x, 126, kWidth, 20);
        tahoma->useTahoma14Bold();
        tahoma->setTextColor(QColor(72, 72, 72));
        tahoma->setText(s.second);
        auto* right = new controls::CApproStatic(&canvas);
        right->setGeometry(x, 148, kWidth, 20);
        right->useVerdana(13);
        right->setUnderline(true);
        right->setTextColor(QColor(42, 169, 209));
        right->setAlignment(controls::CApproStatic::Align::Right);
        QString plain = s.body;
        plain.remove(QStringLiteral("</br>")).remove(QStringLiteral("<br>"));
        right->setText(controls::CApproStatic::ElideToWidth(plain, right->textFont(), kWidth));

        auto* body = new controls::CBaseStatic2(&canvas);
        body->setGeometry(x, 176, kWidth, 110);
        body->setTextColor(QColor(72, 72, 72));
        body->setAlternativeLineLayout(s.alternative);
        body->setText(s.body);

        auto* error = new controls::CBaseStatic(&canvas);
        error->setFontFamily(QStringLiteral("Verdana"));
        error->setPixelSize(13);
        error->setTextColor(QColor::fromRgba(0xFFFF0000));
        error->setBox(QColor::fromRgba(0xFFEFD5D5), 5, {20, 8, 24});
        error->setAlternativeLineLayout(s.alternative);
        error->setText(s.error);
        error->setGeometry(x, 296, kWidth, 10);
        error->resize(kWidth, error->contentHeight());

        auto* noted = new controls::CBaseStatic(&canvas);
        QImage mark(28, 28, QImage::Format_ARGB32_Premultiplied);
        mark.setDevicePixelRatio(2);
        mark.fill(Qt::transparent);
        {
            QPainter p(&mark);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 0, 0));
            p.drawEllipse(QRectF(0, 0, 14, 14));
        }
        noted->setPicture(mark);
        noted->setPixelSize(13);
        noted->setTextColor(QColor(100, 100, 100));
        noted->setAlternativeLineLayout(s.alternative);
        noted->setText(s.error);
        noted->setGeometry(x, 356, kWidth, 40);

        auto* frame = new controls::CRectStatic(&canvas);
        frame->setGeometry(x, 404, kWidth, 34);
        auto* inFrame = new controls::CApproStatic(frame);
        inFrame->setGeometry(10, 0, kWidth - 20, 34);
        inFrame->setVerticalCentre(true);
        inFrame->setTextColor(QColor(100, 100, 100));
        inFrame->setText(QStringLiteral("admin"));

        auto* panel = new controls::CRoundBack(&canvas);
        panel->setGeometry(x, 448, kWidth, 40);
        panel->setFillColor(Qt::white);
        panel->setOutline(6, QColor(196, 196, 196), 1);
        panel->setCaption(s.second);
        panel->setCaptionColor(QColor(50, 50, 50));

        auto* waiting = new controls::CApproStatic2(&canvas);
        waiting->setGeometry(x, 500, kWidth, 40);
        waiting->useVerdana(16, true);
        waiting->setTextColor(QColor(42, 169, 209));
        waiting->setAlignment(controls::CApproStatic::Align::Centre);
        waiting->setVerticalCentre(true);
        waiting->setText(s.title + QStringLiteral(" 42%"));
        x += kWidth + 30;
    }
    Save(canvas, QStringLiteral("labels"));
}
