#pragma once

#include <QDialog>

// The About box of the outer window's system menu.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};
