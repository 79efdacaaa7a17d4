#include "IcoFile.h"

#include <QBuffer>
#include <QtEndian>

namespace {

void PutLe16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void PutLe32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

}  // namespace

QByteArray BuildIcoFile(const QList<QImage>& images) {
    QList<QByteArray> pngs;
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        pngs.append(png);
    }
    QByteArray out;
    PutLe16(out, 0);  // reserved
    PutLe16(out, 1);  // icon
    PutLe16(out, static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int w = images[i].width();
        const int h = images[i].height();
        out.append(static_cast<char>(w >= 256 ? 0 : w));  // 0 stands for 256
        out.append(static_cast<char>(h >= 256 ? 0 : h));
        out.append(char(0));  // no palette
        out.append(char(0));  // reserved
        PutLe16(out, 1);      // planes
        PutLe16(out, 32);     // bits per pixel
        PutLe32(out, static_cast<quint32>(pngs[i].size()));
        PutLe32(out, offset);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const QByteArray& png : pngs) {
        out.append(png);
    }
    return out;
}
