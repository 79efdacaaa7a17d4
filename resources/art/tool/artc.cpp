// Renders the SVG pictures to PNG at 1x and 2x, and the icons to .ico files.
// Usage: orb-artc OUT_DIR "ICON_ID;ICON_ID" FILE.svg...

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

#include "IcoFile.h"

namespace {

QImage Render(QSvgRenderer& svg, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: orb-artc OUT_DIR ICON_IDS FILE.svg...\n");
        return 2;
    }
    const QDir out(args[1]);
    QDir().mkpath(out.path());
    const QStringList iconIds = args[2].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (qsizetype i = 3; i < args.size(); ++i) {
        QSvgRenderer svg(args[i]);
        if (!svg.isValid()) {
            std::fprintf(stderr, "orb-artc: %s is not a valid SVG\n", qPrintable(args[i]));
            return 1;
        }
        const QString id = QFileInfo(args[i]).baseName();
        const QSize size = svg.defaultSize();
        if (!Render(svg, size).save(out.filePath(id + QStringLiteral(".png"))) ||
            !Render(svg, size * 2).save(out.filePath(id + QStringLiteral("@2x.png")))) {
            std::fprintf(stderr, "orb-artc: cannot write %s\n", qPrintable(id));
            return 1;
        }
        if (iconIds.contains(id)) {
            QList<QImage> images;
            for (int side : {16, 24, 32, 48, 64, 256}) {
                images.append(Render(svg, QSize(side, side)));
            }
            QFile ico(out.filePath(id + QStringLiteral(".ico")));
            if (!ico.open(QIODevice::WriteOnly) || ico.write(BuildIcoFile(images)) < 0) {
                std::fprintf(stderr, "orb-artc: cannot write %s.ico\n", qPrintable(id));
                return 1;
            }
        }
    }
    return 0;
}
