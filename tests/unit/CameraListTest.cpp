#include <gtest/gtest.h>

#include "device/JpegFrame.h"
#include "shell/CameraList.h"

namespace {

TEST(CameraList, ADiscoveryLineFillsItsEntryInFieldOrder) {
    const auto entry = cameras::EntryFromLine(
        QStringLiteral("1;192.168.0.20;00:11:22:33:44:55;acme;LUX-410;admin;;cgi;0"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->addedFlag, QStringLiteral("1"));
    EXPECT_EQ(entry->cameraIp, QStringLiteral("192.168.0.20"));
    EXPECT_EQ(entry->cameraMac, QStringLiteral("00:11:22:33:44:55"));
    EXPECT_EQ(entry->brand, QStringLiteral("acme"));
    EXPECT_EQ(entry->model, QStringLiteral("LUX-410"));
    EXPECT_EQ(entry->account, QStringLiteral("admin"));
    EXPECT_TRUE(entry->password.isEmpty());
    EXPECT_EQ(entry->protocol, QStringLiteral("cgi"));
    EXPECT_EQ(entry->protocolType, QStringLiteral("0"));
    EXPECT_EQ(entry->verified, 0);
    EXPECT_EQ(entry->selected, 0);
    EXPECT_TRUE(cameras::IsLegacy(*entry));
    // Listed as "admin": the preview is offered at once, though the password is still empty.
    EXPECT_TRUE(cameras::PasswordKnownWhenListed(*entry));
}

TEST(CameraList, ShortAndLongLinesAndLinesWithoutAnAddress) {
    const auto shortLine = cameras::EntryFromLine(QStringLiteral("0;10.0.0.9;aa"));
    ASSERT_TRUE(shortLine);
    EXPECT_EQ(shortLine->cameraMac, QStringLiteral("aa"));
    EXPECT_TRUE(shortLine->model.isEmpty());
    EXPECT_TRUE(shortLine->protocolType.isEmpty());
    // No digits read as 0: an older camera.
    EXPECT_TRUE(cameras::IsLegacy(*shortLine));
    EXPECT_FALSE(cameras::PasswordKnownWhenListed(*shortLine));

    const auto longLine =
        cameras::EntryFromLine(QStringLiteral("0;10.0.0.9;m;b;x;user;pw;onvif;12;extra;more"));
    ASSERT_TRUE(longLine);
    EXPECT_EQ(longLine->protocolType, QStringLiteral("12"));
    EXPECT_FALSE(cameras::IsLegacy(*longLine));

    for (const QString& line : {QString(), QStringLiteral("1"), QStringLiteral("1;;mac;b;m"),
                                QStringLiteral(";;;;;;;;")}) {
        EXPECT_FALSE(cameras::EntryFromLine(line)) << line.toStdString();
    }
}

TEST(CameraList, TheCreatePageChecksTheMatchBeforeTheRule) {
    using cameras::NewPassword;
    EXPECT_EQ(cameras::CheckNewPassword(QStringLiteral("abc"), QStringLiteral("abd")),
              NewPassword::Mismatch);
    EXPECT_EQ(cameras::CheckNewPassword(QStringLiteral("Abcdef"), QStringLiteral("abcdef")),
              NewPassword::Mismatch);
    EXPECT_EQ(cameras::CheckNewPassword(QStringLiteral("abcde"), QStringLiteral("abcde")),
              NewPassword::BreaksRule);
    for (const QString& bad : {QStringLiteral("abc def"), QStringLiteral("abc/def"),
                               QStringLiteral("abc:def"), QStringLiteral("abc&def")}) {
        EXPECT_EQ(cameras::CheckNewPassword(bad, bad), NewPassword::BreaksRule)
            << bad.toStdString();
    }
    const QString thirty(30, u'x');
    EXPECT_EQ(cameras::CheckNewPassword(thirty, thirty), NewPassword::Ok);
    EXPECT_EQ(cameras::CheckNewPassword(thirty + u'x', thirty + u'x'), NewPassword::BreaksRule);
    EXPECT_EQ(cameras::CheckNewPassword(QStringLiteral("abc#12"), QStringLiteral("abc#12")),
              NewPassword::Ok);
}

TEST(CameraList, ThePortalReplyIsCutAtItsAmpersands) {
    using State = cameras::PortalReading::State;
    EXPECT_EQ(cameras::ReadPortalInfo(QString()).state, State::Pending);
    EXPECT_EQ(cameras::ReadPortalInfo(QStringLiteral("-1")).state, State::Refused);

    const auto full = cameras::ReadPortalInfo(QStringLiteral(
        "0&1&https://portal.example&00042&5A3F9C27E1D04B88&ORB-780Z&http://10.77.0.10/"));
    ASSERT_EQ(full.state, State::Read);
    EXPECT_EQ(full.values.status, QStringLiteral("0"));
    EXPECT_EQ(full.values.access, QStringLiteral("1"));
    EXPECT_EQ(full.values.portalUrl, QStringLiteral("https://portal.example"));
    EXPECT_EQ(full.values.portalNumber, QStringLiteral("00042"));
    EXPECT_EQ(full.values.portalDfp, QStringLiteral("5A3F9C27E1D04B88"));
    EXPECT_EQ(full.values.model, QStringLiteral("ORB-780Z"));
    EXPECT_EQ(full.values.localHyperlink, QStringLiteral("http://10.77.0.10/"));

    // The last piece is the link however many pieces came; the others fill in order.
    const auto shortReply = cameras::ReadPortalInfo(QStringLiteral("0&0&http://link/"));
    EXPECT_EQ(shortReply.values.access, QStringLiteral("0"));
    EXPECT_TRUE(shortReply.values.portalUrl.isEmpty());
    EXPECT_EQ(shortReply.values.localHyperlink, QStringLiteral("http://link/"));
    const auto longReply = cameras::ReadPortalInfo(QStringLiteral("0&1&u&n&d&m&x&y&link"));
    EXPECT_EQ(longReply.values.model, QStringLiteral("m"));
    EXPECT_EQ(longReply.values.localHyperlink, QStringLiteral("link"));
}

TEST(PreviewBytes, TheHostTextMayCarryAPort) {
    EXPECT_EQ(preview::SplitHost(QStringLiteral("10.77.0.31:8080")).host,
              QStringLiteral("10.77.0.31"));
    EXPECT_EQ(preview::SplitHost(QStringLiteral("10.77.0.31:8080")).port, 8080);
    for (const QString& text :
         {QStringLiteral("10.77.0.31"), QStringLiteral("10.77.0.31:0"),
          QStringLiteral("10.77.0.31:"), QStringLiteral("10.77.0.31:x"),
          QStringLiteral("10.77.0.31:-5"), QStringLiteral("10.77.0.31:70000")}) {
        const preview::HostPort where = preview::SplitHost(text);
        EXPECT_EQ(where.host, QStringLiteral("10.77.0.31")) << text.toStdString();
        EXPECT_EQ(where.port, 80) << text.toStdString();
    }
}

TEST(PreviewBytes, TheFirstImageOfABodyIsTheFrame) {
    preview::FrameGatherer gatherer;
    const QByteArray first = QByteArray("\xFF\xD8one") + "\xFF\xD9";
    const QByteArray second = QByteArray("\xFF\xD8two") + "\xFF\xD9";
    const QByteArray body = first + second;
    EXPECT_EQ(gatherer.append(body.constData(), 3), preview::FrameGatherer::Outcome::Reading);
    // The marker split over two pieces is still found.
    EXPECT_EQ(gatherer.append(body.constData() + 3, 3), preview::FrameGatherer::Outcome::Reading);
    EXPECT_EQ(gatherer.append(body.constData() + 6, static_cast<std::size_t>(body.size() - 6)),
              preview::FrameGatherer::Outcome::Frame);
    EXPECT_EQ(gatherer.frame(), first);
    gatherer.clear();
    EXPECT_EQ(gatherer.gathered(), 0U);
    EXPECT_EQ(gatherer.append("\xFF", 1), preview::FrameGatherer::Outcome::Reading);
    EXPECT_EQ(gatherer.append("\xD9", 1), preview::FrameGatherer::Outcome::Frame);
    EXPECT_EQ(gatherer.frame(), QByteArray("\xFF\xD9"));
}

TEST(PreviewBytes, OversizedBodiesAndFramesAreNotShown) {
    preview::FrameGatherer gatherer;
    const QByteArray piece(8200, 'a');
    std::size_t sent = 0;
    while (sent < preview::kFrameBytes) {
        ASSERT_EQ(gatherer.append(piece.constData(), static_cast<std::size_t>(piece.size())),
                  preview::FrameGatherer::Outcome::Reading);
        sent += static_cast<std::size_t>(piece.size());
    }
    EXPECT_EQ(gatherer.append("\xFF\xD9", 2), preview::FrameGatherer::Outcome::TooLarge);
    EXPECT_TRUE(gatherer.frame().isEmpty());

    // Past the gathering bound pieces are dropped: a marker in them is never seen.
    gatherer.clear();
    while (gatherer.gathered() + static_cast<std::size_t>(piece.size()) <= preview::kGatherBytes) {
        gatherer.append(piece.constData(), static_cast<std::size_t>(piece.size()));
    }
    const QByteArray tail = piece + "\xFF\xD9";
    EXPECT_EQ(gatherer.append(tail.constData(), static_cast<std::size_t>(tail.size())),
              preview::FrameGatherer::Outcome::Reading);
    EXPECT_LE(gatherer.gathered(), preview::kGatherBytes);
}

}  // namespace
