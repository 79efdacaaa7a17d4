#include <QBuffer>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <atomic>

#include "../unit/LoopbackHttpServer.h"
#include "UiSupport.h"
#include "controls/CPreview.h"
#include "device/HttpGet.h"
#include "pages/CPreviewPage.h"

namespace {

std::string Jpeg(const QColor& colour, QSize size = {64, 48}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPEG", 90));
    return bytes.toStdString();
}

LoopbackResponse Body(std::string body, int pieces = 1) {
    LoopbackResponse response = LoopbackResponse::Text(200, "OK", std::move(body));
    response.headers.push_back({"Content-Type", "image/jpeg"});
    response.pieces = pieces;
    return response;
}

// Runs the page's fetch job until `done` says so, then stops it; returns the frames shown.
std::vector<QImage> FetchUntil(const CPreviewPage::Camera& camera,
                               const std::function<bool(const std::vector<QImage>&)>& done) {
    std::vector<QImage> frames;
    std::mutex mutex;
    PageTask task(0);
    auto http = std::make_shared<HttpGet>();
    const CPreviewPage::Pacing quick{std::chrono::milliseconds(0), std::chrono::milliseconds(20),
                                     std::chrono::milliseconds(0), std::chrono::milliseconds(10)};
    task.start([&, http](PageTask::Control& control) {
        CPreviewPage::Fetch(control, *http, camera, quick, [&](QImage frame) {
            std::lock_guard lock(mutex);
            frames.push_back(std::move(frame));
        });
    });
    const bool finished = WaitUntil([&] {
        std::lock_guard lock(mutex);
        return done(frames);
    });
    EXPECT_TRUE(finished);
    task.requestStop();
    http->Close();
    EXPECT_TRUE(task.stop());
    return frames;
}

}  // namespace

TEST(PreviewPage, TheFirstOfTwoImagesIsShownFromThePortTheHostNames) {
    const std::string red = Jpeg(Qt::red);
    const std::string blue = Jpeg(Qt::blue);
    LoopbackHttpServer camera([&](const LoopbackRequest&) { return Body(red + blue, 7); });
    ASSERT_TRUE(camera.ok());
    const auto frames = FetchUntil({QStringLiteral("127.0.0.1:%1").arg(camera.port()),
                                    QStringLiteral("admin"), QStringLiteral("hall-31")},
                                   [](const auto& shown) { return shown.size() >= 2; });
    for (const QImage& frame : frames) {
        ASSERT_FALSE(frame.isNull());
        const QColor middle = frame.pixelColor(frame.width() / 2, frame.height() / 2);
        EXPECT_GT(middle.red(), 200);
        EXPECT_LT(middle.blue(), 60);
    }
    const auto requests = camera.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].target, "/image/jpeg.cgi");
}

TEST(PreviewPage, OversizedAndUndecodableFramesShowNothing) {
    std::atomic<int> served{0};
    const std::string good = Jpeg(Qt::green);
    std::string oversized(1'500'000, 'a');
    oversized += "\xFF\xD9";
    LoopbackHttpServer camera([&](const LoopbackRequest&) {
        switch (served++) {
            case 0:  // an image that ends past the frame bound
                return Body(oversized, 200);
            case 1:  // a marker, but no image
                return Body(std::string("not a picture\xFF\xD9"));
            case 2:  // a body that ends without any marker
                return Body(std::string(3000, 'b'));
            default:
                return Body(good);
        }
    });
    ASSERT_TRUE(camera.ok());
    const auto frames = FetchUntil(
        {QStringLiteral("127.0.0.1:%1").arg(camera.port()), QStringLiteral("admin"), QString()},
        [](const auto& shown) { return shown.size() >= 2; });
    // The oversized image was skipped; the undecodable one blanked the picture.
    ASSERT_GE(frames.size(), 2U);
    EXPECT_TRUE(frames[0].isNull());
    EXPECT_FALSE(frames[1].isNull());
    EXPECT_GE(served.load(), 4);
}

TEST(PreviewPage, ItPointsAtTheIconAndClosesWhileACameraTrickles) {
    InLanguage english(shell::kEnglish);
    const QRegion outline = CPreviewPage::Outline();
    EXPECT_TRUE(outline.contains(QPoint(1, 32)));
    EXPECT_FALSE(outline.contains(QPoint(1, 10)));
    EXPECT_FALSE(outline.contains(QPoint(12, 0)));  // the rounded corner
    EXPECT_TRUE(outline.contains(QPoint(200, 100)));
    EXPECT_TRUE(outline.contains(QPoint(357, 100)));

    LoopbackResponse slow = Body(Jpeg(Qt::red), 2000);
    slow.pieceDelay = std::chrono::milliseconds(50);
    LoopbackHttpServer camera([&](const LoopbackRequest&) { return slow; });
    ASSERT_TRUE(camera.ok());
    QWidget owner;
    {
        CPreviewPage page(&owner, QPoint(300, 200),
                          {QStringLiteral("127.0.0.1:%1").arg(camera.port()),
                           QStringLiteral("admin"), QString()});
        EXPECT_EQ(page.pos(), QPoint(305, 170));
        EXPECT_EQ(page.preview()->geometry(), QRect(24, 32, 320, 170));
        ASSERT_TRUE(camera.WaitForRequests(1));
    }
    // Gone: the camera saw its connection end, long before the body was through.
    EXPECT_TRUE(camera.WaitForClosedConnections(1));
}

TEST(PreviewPage, PagesClosedWhileFramesArriveLetTheirJobsEndAndFreeEveryConnection) {
    InLanguage english(shell::kEnglish);
    const std::string frame = Jpeg(Qt::darkCyan);
    LoopbackHttpServer camera([&](const LoopbackRequest&) { return Body(frame, 3); });
    ASSERT_TRUE(camera.ok());
    QWidget owner;
    constexpr int kPages = 12;
    for (int i = 0; i < kPages; ++i) {
        auto page = std::make_unique<CPreviewPage>(
            &owner, QPoint(300, 200),
            CPreviewPage::Camera{QStringLiteral("127.0.0.1:%1").arg(camera.port()),
                                 QStringLiteral("admin"), QStringLiteral("hall-31")});
        ASSERT_TRUE(camera.WaitForRequests(static_cast<std::size_t>(i) + 1));
        // Some pages go while their frame is still on its way to them, some after it arrived.
        if (i % 2 == 1) {
            QCoreApplication::processEvents();
        }
        page.reset();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(camera.WaitForClosedConnections(kPages));
}
