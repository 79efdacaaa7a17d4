#pragma once

#include "pages/CCameraPwdPanel.h"

// Asks for the password of a camera the wizard does not know the password of; the camera
// step checks it through the recorder.
class CCameraPwdPage final : public CCameraPwdPanel {
    Q_OBJECT
public:
    static constexpr int kBoxId = 5004;

    explicit CCameraPwdPage(const CameraPasswordRequest& request);
    // Runs the page modally over the camera step; 1 once a password was accepted, else 2.
    static int Run(const CameraPasswordRequest& request);

    controls::CMyEditCtrl2* box() const { return box_; }

protected:
    QString check() const override { return {}; }  // anything goes, the empty text included
    QString password() const override;
    std::uint32_t requestMessage() const override;
    QString refusalText() const override;

private:
    controls::CMyEditCtrl2* box_;
};
