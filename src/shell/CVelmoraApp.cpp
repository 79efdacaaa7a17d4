#include "shell/CVelmoraApp.h"

#include <QApplication>

#include <memory>

#include "shell/CVelmoraDlg.h"
#include "shell/StallWatch.h"

int CVelmoraApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORB-780Z Setup Wizard"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Only for the responsiveness benchmark.
    std::unique_ptr<StallWatch> watch;
    if (StallWatch::Wanted()) {
        watch = std::make_unique<StallWatch>();
    }
    CVelmoraDlg dialog;
    dialog.initialise();
    dialog.exec();
    return 0;
}
