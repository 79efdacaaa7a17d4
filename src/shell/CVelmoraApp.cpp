#include "shell/CVelmoraApp.h"

#include <QApplication>

#include "shell/CVelmoraDlg.h"

int CVelmoraApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORB-780Z Setup Wizard"));
    QApplication::setQuitOnLastWindowClosed(false);
    CVelmoraDlg dialog;
    dialog.initialise();
    dialog.exec();
    return 0;
}
