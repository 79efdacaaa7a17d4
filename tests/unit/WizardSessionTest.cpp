#include <gtest/gtest.h>

#include <thread>

#include "shell/WizardSession.h"

TEST(WizardSession, CameraListOwnsItsRecords) {
    WizardSession session;
    EXPECT_EQ(session.cameraAt(0), nullptr);
    auto first = std::make_unique<CameraEntry>();
    first->cameraIp = QStringLiteral("192.168.1.50");
    session.addCamera(std::move(first));
    session.addCamera(nullptr);
    auto second = std::make_unique<CameraEntry>();
    second->cameraIp = QStringLiteral("192.168.1.51");
    session.addCamera(std::move(second));
    ASSERT_EQ(session.cameraCount(), 2);
    EXPECT_EQ(session.cameraAt(1)->cameraIp, QStringLiteral("192.168.1.51"));
    EXPECT_EQ(session.cameraAt(-1), nullptr);
    EXPECT_EQ(session.cameraAt(2), nullptr);
    session.clearCameras();
    EXPECT_EQ(session.cameraCount(), 0);
    EXPECT_EQ(session.cameraAt(0), nullptr);
}

TEST(WizardSession, TextsAreSafeToReadFromAWorkerWhileTheyChange) {
    WizardSession session;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load()) {
            const QString ip = session.recorderIp();
            ASSERT_TRUE(ip.isEmpty() || ip.startsWith(QStringLiteral("10.0.0.")));
        }
    });
    for (int i = 0; i < 2000; ++i) {
        session.setRecorderIp(QStringLiteral("10.0.0.%1").arg(i % 250));
    }
    stop = true;
    reader.join();
    EXPECT_EQ(session.recorderIp(), QStringLiteral("10.0.0.249"));
}
