#include "CameraFrame.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <array>

namespace sim {

namespace {

// 5 x 7 pixel glyphs, rows top to bottom, "#" lit.
struct Glyph {
    char letter;
    const char* rows;  // 35 characters
};

constexpr std::array<Glyph, 44> kGlyphs = {{
    {' ', "                                   "}, {'0', " ### #   ##  ### # ###  ##   # ### "},
    {'1', "  #   ##    #    #    #    #   ### "}, {'2', " ### #   #    #   #   #   #   #####"},
    {'3', "#####   #   #     #     ##   # ### "}, {'4', "   #   ##  # # #  # #####   #    # "},
    {'5', "######    ####     #    ##   # ### "}, {'6', "  ##  #   #    #### #   ##   # ### "},
    {'7', "#####    #   #   #   #    #    #   "}, {'8', " ### #   ##   # ### #   ##   # ### "},
    {'9', " ### #   ##   # ####    #   #  ##  "}, {'A', " ### #   ##   #######   ##   ##   #"},
    {'B', "#### #   ##   ##### #   ##   ##### "}, {'C', " ### #   ##    #    #    #   # ### "},
    {'D', "#### #   ##   ##   ##   ##   ##### "}, {'E', "######    #    #### #    #    #####"},
    {'F', "######    #    #### #    #    #    "}, {'G', " ### #   ##    # ####   ##   # ####"},
    {'H', "#   ##   ##   #######   ##   ##   #"}, {'I', " ###   #    #    #    #    #   ### "},
    {'J', "  ###   #    #    #    # #  #  ##  "}, {'K', "#   ##  # # #  ##   # #  #  # #   #"},
    {'L', "#    #    #    #    #    #    #####"}, {'M', "#   ### ### # ## # ##   ##   ##   #"},
    {'N', "#   ##   ###  ## # ##  ###   ##   #"}, {'O', " ### #   ##   ##   ##   ##   # ### "},
    {'P', "#### #   ##   ##### #    #    #    "}, {'Q', " ### #   ##   ##   ## # ##  #  ## #"},
    {'R', "#### #   ##   ##### # #  #  # #   #"}, {'S', " #####    #     ###     #    ##### "},
    {'T', "#####  #    #    #    #    #    #  "}, {'U', "#   ##   ##   ##   ##   ##   # ### "},
    {'V', "#   ##   ##   ##   ##   # # #   #  "}, {'W', "#   ##   ##   ## # ## # ## # # # # "},
    {'X', "#   ##   # # #   #   # # #   ##   #"}, {'Y', "#   ##   # # #   #    #    #    #  "},
    {'Z', "#####    #   #   #   #   #    #####"}, {':', "       #    #         #    #       "},
    {'-', "               #####               "}, {'.', "                          ##   ##  "},
    {'/', "    #    #   #   #   #   #    #    "}, {'_', "                              #####"},
    {'(', "   #   #   #    #    #     #     # "}, {')', " #     #     #    #    #   #   #   "},
}};

constexpr const char* kUnknownGlyph = "######   ##   ##   ##   ##   ######";

const char* GlyphRows(QChar letter) {
    const QChar upper = letter.toUpper();
    for (const Glyph& glyph : kGlyphs) {
        if (upper == QLatin1Char(glyph.letter)) {
            return glyph.rows;
        }
    }
    return kUnknownGlyph;
}

// Draws text with its top-left corner at (x, y); each font pixel is scale x scale.
void DrawText(QPainter& painter, int x, int y, int scale, const QString& text,
              const QColor& colour) {
    for (const QChar letter : text) {
        const char* rows = GlyphRows(letter);
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (rows[row * 5 + column] == '#') {
                    painter.fillRect(x + column * scale, y + row * scale, scale, scale, colour);
                }
            }
        }
        x += 6 * scale;
    }
}

}  // namespace

QImage CameraPicture(const QString& name, const QDateTime& when, std::optional<QColor> tint) {
    QImage image(kCameraFrameWidth, kCameraFrameHeight, QImage::Format_RGB32);
    // A per-camera tint tells cameras apart at a glance.
    const int hue = tint ? std::max(tint->hsvHue(), 0) : static_cast<int>(qHash(name) % 360U);
    image.fill(tint.value_or(QColor::fromHsv(hue, 90, 70)));
    QPainter painter(&image);
    const int second = when.time().second();
    // A sweep that moves every second, so consecutive frames differ even when scaled down.
    painter.fillRect(second * (kCameraFrameWidth - 20) / 59, 200, 20, 12,
                     QColor::fromHsv(hue, 200, 230));
    const QString title = name.left(17);
    DrawText(painter, 10, 16, 3, title, Qt::white);
    DrawText(painter, 10, 80, 3, when.toString(QStringLiteral("yyyy-MM-dd")), Qt::white);
    DrawText(painter, 10, 120, 4, when.toString(QStringLiteral("HH:mm:ss")), Qt::yellow);
    DrawText(painter, 10, 170, 2, QStringLiteral("ORB-SIM CAMERA"), QColor(200, 200, 200));
    painter.end();
    return image;
}

QByteArray CameraFrameJpeg(const QString& name, const QDateTime& when, std::optional<QColor> tint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(80);
    if (!writer.write(CameraPicture(name, when, tint))) {
        return {};
    }
    return bytes;
}

}  // namespace sim
