#pragma once

#include "pages/CCameraPwdPanel.h"

// Makes a password for a camera that has none yet; the camera step sets it on the camera.
class CCameraPwd2Page final : public CCameraPwdPanel {
    Q_OBJECT
public:
    static constexpr int kFirstId = 5004;
    static constexpr int kSecondId = 5005;

    explicit CCameraPwd2Page(const CameraPasswordRequest& request);
    static int Run(const CameraPasswordRequest& request);

    controls::CMyEditCtrl2* firstBox() const { return first_; }
    controls::CMyEditCtrl2* secondBox() const { return second_; }

protected:
    QString check() const override;
    QString password() const override;
    std::uint32_t requestMessage() const override;
    QString refusalText() const override;

private:
    controls::CMyEditCtrl2* first_;
    controls::CMyEditCtrl2* second_;
};
