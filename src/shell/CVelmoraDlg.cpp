#include "shell/CVelmoraDlg.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

#include "controls/ResourceImage.h"
#include "controls/ResourcePicture.h"
#include "platform/Folders.h"
#include "platform/Resources.h"
#include "shell/CAboutDlg.h"
#include "shell/CInterDialog.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/WindowShape.h"

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

constexpr int kAboutCommand = 16;
constexpr int kIconResource = 3180;
constexpr int kAppIconResource = 128;
const QString kIconFileName = QStringLiteral("ORB-780Z.ico");

}  // namespace

CVelmoraDlg::CVelmoraDlg() : MessageWindow<QDialog>(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("CVelmoraDlg"));
    setAttribute(Qt::WA_TranslucentBackground);
}

CVelmoraDlg::~CVelmoraDlg() {
    host_.reset();
}

void CVelmoraDlg::initialise() {
#ifdef Q_OS_WIN
    // The About item of the system menu.
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kAboutCommand, L"\x95DC\x65BC Velmora(&A)...");
    }
#endif
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(controls::ResourceImage(kAppIconResource, 1.0)));
    icon.addPixmap(QPixmap::fromImage(controls::ResourceImage(kAppIconResource, 2.0)));
    setWindowIcon(icon);
    setWindowTitle(QStringLiteral("Setup Wizard"));

    shell::SetLanguageIndex(shell::kEnglish);
    shell::LoadLanguagePack(shell::kEnglish);

    setFixedSize(shape::kOuterSize);
    move(0, 0);

    host_ = std::make_unique<CInterDialog>(this);

    shadow_ = BuildShadow(shape::kOuterSize, shadowParams_,
                          controls::ResourcePicture::DeviceRatioOf(*this));
    update();

    ExtractIcon();

    startTimer_.start(kStartDelayMs, this);
}

QImage CVelmoraDlg::BuildShadow(QSize size, const platform::ShadowParams& params,
                                qreal devicePixelRatio) {
    const std::vector<std::uint32_t> pixels =
        platform::BuildShadowBitmap(size.width(), size.height(), params);
    if (pixels.empty()) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * size.width(), size.width(),
                    reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
    if (devicePixelRatio <= 1.0) {
        return image;
    }
    const QSize device(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(size.height() * devicePixelRatio)));
    QImage dense = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    dense.setDevicePixelRatio(devicePixelRatio);
    // Smoothing bleeds the shadow into the hole; a device pixel whose centre lies under the
    // rectangle is cleared, as its logical pixel is.
    const int margin = std::max(params.size, 0);
    auto edge = [&](int logical, int limit) {
        return std::clamp(static_cast<int>(std::ceil(logical * devicePixelRatio - 0.5)), 0, limit);
    };
    const int left = edge(margin, device.width());
    const int right = edge(size.width() - margin, device.width());
    const int top = edge(margin, device.height());
    const int bottom = edge(size.height() - margin, device.height());
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(dense.scanLine(y));
        std::fill(row + left, row + right, 0u);
    }
    return dense;
}

void CVelmoraDlg::ExtractIcon() {
    const QByteArray icon = platform::ResourceBytes(QStringLiteral("ICO"), kIconResource);
    if (icon.isEmpty()) {
        return;
    }
    const QString local = platform::ApplicationDataFolder() + kIconFileName;
    if (!platform::WriteWholeFile(local, icon)) {
        return;
    }
    const QString system = platform::SystemFolder();
    if (!system.isEmpty()) {
        platform::CopyFileReplacing(local, system + kIconFileName);
    }
}

void CVelmoraDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A move to a screen of another ratio repaints the window; the shadow follows it here.
    const qreal ratio = controls::ResourcePicture::DeviceRatioOf(painter);
    if (!shadow_.isNull() && !qFuzzyCompare(shadow_.devicePixelRatio(), std::max(ratio, 1.0))) {
        shadow_ = BuildShadow(shape::kOuterSize, shadowParams_, ratio);
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    if (!shadow_.isNull()) {
        painter.drawImage(0, 0, shadow_);
    }
}

void CVelmoraDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != startTimer_.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    startTimer_.stop();
    if (hostStarted_ != 0) {
        return;
    }
    hostStarted_ = 1;
    startHost();
}

void CVelmoraDlg::startHost() {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    host_->setOrigin(origin + QPoint(shape::kHostInset, shape::kHostInset));
    host_->exec();
    accept();
}

void CVelmoraDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CVelmoraDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !host_ || !host_->isVisible()) {
        return;
    }
    // The host hides and comes back with its shadow.
    if (isMinimized()) {
        host_->showMinimized();
    } else if (host_->isMinimized()) {
        host_->showNormal();
    }
}

void CVelmoraDlg::messageEvent(platform::WindowMessageEvent& event) {
    switch (event.message()) {
        case msg::kNavigate:
            if (event.wParam() == msg::kMinimise) {
                showMinimized();
            }
            break;
        case msg::kMoved:
            setGeometry(static_cast<int>(event.wParam()) - shape::kHostInset,
                        static_cast<int>(event.lParam()) - shape::kHostInset,
                        shape::kOuterSize.width(), shape::kOuterSize.height());
            update();
            break;
        default:
            break;
    }
}

#ifdef Q_OS_WIN
bool CVelmoraDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    auto* native = static_cast<MSG*>(message);
    if (native->message == WM_SYSCOMMAND && (native->wParam & 0xFFF0) == kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif
