// The picture catalogue (resources/art/catalogue-*.txt) against the pictures the program carries,
// their SVG sources and the resource ids the code asks for; and contact sheets for people to look
// at.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/ResourceImage.h"
#include "pages/PageLooks.h"

namespace {

struct CatalogueLine {
    int id = 0;
    QSize size;
    QString description;
    QString where;  // file and line, for messages
};

QString ArtDir() {
    return QStringLiteral(ORB_SOURCE_DIR "/resources/art");
}

// Every line of every resources/art/catalogue-*.txt, in file then line order. Lines that do not
// parse are reported through `errors`.
std::vector<CatalogueLine> ReadCatalogue(QStringList* errors = nullptr) {
    std::vector<CatalogueLine> lines;
    const QDir dir(ArtDir());
    const QStringList files =
        dir.entryList({QStringLiteral("catalogue-*.txt")}, QDir::Files, QDir::Name);
    static const QRegularExpression kLine(
        QStringLiteral(R"(^\s*(\d+)\s+(\d+)\s+(\d+)\s+(\S.*?)\s*$)"));
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            if (errors != nullptr) {
                errors->append(name + QStringLiteral(": cannot be read"));
            }
            continue;
        }
        QTextStream in(&file);
        int number = 0;
        while (!in.atEnd()) {
            const QString text = in.readLine();
            ++number;
            if (text.trimmed().isEmpty() || text.trimmed().startsWith(QLatin1Char('#'))) {
                continue;
            }
            const QString where = QStringLiteral("%1:%2").arg(name).arg(number);
            const auto match = kLine.match(text);
            if (!match.hasMatch()) {
                if (errors != nullptr) {
                    errors->append(where +
                                   QStringLiteral(": not '<id> <width> <height> <description>': ") +
                                   text);
                }
                continue;
            }
            lines.push_back({match.captured(1).toInt(),
                             QSize(match.captured(2).toInt(), match.captured(3).toInt()),
                             match.captured(4), where});
        }
    }
    return lines;
}

std::set<int> CatalogueIds() {
    std::set<int> ids;
    for (const CatalogueLine& line : ReadCatalogue()) {
        ids.insert(line.id);
    }
    return ids;
}

bool HasVisiblePixel(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(row[x]) != 0) {
                return true;
            }
        }
    }
    return false;
}

// The source text with comments, string and character literals blanked out (line breaks kept),
// so that numbers in them are not taken for resource ids.
QString StripCommentsAndLiterals(const QString& source) {
    QString out = source;
    enum class Mode { Code, LineComment, BlockComment, String, Char, RawString };
    Mode mode = Mode::Code;
    QString rawEnd;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const QChar next = i + 1 < out.size() ? out[i + 1] : QChar();
        auto blank = [&](qsizetype at) {
            if (out[at] != QLatin1Char('\n')) {
                out[at] = QLatin1Char(' ');
            }
        };
        switch (mode) {
            case Mode::Code:
                if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
                    mode = Mode::LineComment;
                    blank(i);
                } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                    mode = Mode::BlockComment;
                    blank(i);
                    blank(++i);
                } else if (c == QLatin1Char('R') && next == QLatin1Char('"') &&
                           (i == 0 ||
                            !(out[i - 1].isLetterOrNumber() || out[i - 1] == QLatin1Char('_')) ||
                            out[i - 1] == QLatin1Char('u') || out[i - 1] == QLatin1Char('8') ||
                            out[i - 1] == QLatin1Char('L') || out[i - 1] == QLatin1Char('U'))) {
                    const qsizetype open = out.indexOf(QLatin1Char('('), i + 2);
                    if (open < 0) {
                        break;
                    }
                    rawEnd = QLatin1Char(')') + out.mid(i + 2, open - i - 2) + QLatin1Char('"');
                    for (qsizetype k = i; k <= open; ++k) {
                        blank(k);
                    }
                    i = open;
                    mode = Mode::RawString;
                } else if (c == QLatin1Char('"')) {
                    mode = Mode::String;
                } else if (c == QLatin1Char('\'') && !(i > 0 && out[i - 1].isDigit())) {
                    // (a quote right after a digit is a digit separator, as in 1'000)
                    mode = Mode::Char;
                }
                break;
            case Mode::LineComment:
                if (c == QLatin1Char('\n')) {
                    mode = Mode::Code;
                } else {
                    blank(i);
                }
                break;
            case Mode::BlockComment:
                if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                    blank(i);
                    blank(++i);
                    mode = Mode::Code;
                } else {
                    blank(i);
                }
                break;
            case Mode::String:
            case Mode::Char:
                if (c == QLatin1Char('\\')) {
                    blank(i);
                    if (i + 1 < out.size()) {
                        blank(++i);
                    }
                } else if ((mode == Mode::String && c == QLatin1Char('"')) ||
                           (mode == Mode::Char && c == QLatin1Char('\''))) {
                    mode = Mode::Code;
                } else {
                    blank(i);
                }
                break;
            case Mode::RawString:
                if (out.mid(i, rawEnd.size()) == rawEnd) {
                    for (qsizetype k = i; k < i + rawEnd.size() - 1; ++k) {
                        blank(k);
                    }
                    i += rawEnd.size() - 1;
                    mode = Mode::Code;
                } else {
                    blank(i);
                }
                break;
        }
    }
    return out;
}

// The text from `from` to the parenthesis that closes the one opened just before `from`.
QString UpToClosingParenthesis(const QString& text, qsizetype from) {
    int depth = 1;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('(')) {
            ++depth;
        } else if (text[i] == QLatin1Char(')') && --depth == 0) {
            return text.mid(from, i - from);
        }
    }
    return text.mid(from);
}

// 3- and 4-digit decimal numbers that stand alone (not part of a name, a hexadecimal or a
// floating-point literal).
QList<int> ResourceNumbers(const QString& text) {
    static const QRegularExpression kNumber(QStringLiteral(R"((?<![\w.'])(\d{3,4})(?![\w.']))"));
    QList<int> numbers;
    for (auto it = kNumber.globalMatch(text); it.hasNext();) {
        numbers.append(it.next().captured(1).toInt());
    }
    return numbers;
}

struct Use {
    int id;
    QString where;
};

// The resource ids that one source file asks for:
// - every 3- or 4-digit number inside the parentheses of ResourceImage(, LoadStateImage(,
//   LoadPicture( or setPicture( (the slot numbers of LoadStateImage are single digits);
// - every such number in a picture constant: a const or constexpr declaration whose name speaks
//   of pictures (Picture, Image, Icon, Resource, Background, Bitmap, Png) and not of a measure
//   (Size, Width, Height, ...), or an assignment to a field named backgroundId or ...ImageId.
std::vector<Use> UsesIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    const QString code = StripCommentsAndLiterals(QString::fromUtf8(file.readAll()));
    const QString name = QDir(QStringLiteral(ORB_SOURCE_DIR)).relativeFilePath(path);
    std::vector<Use> uses;
    auto add = [&](const QString& text, qsizetype at) {
        const int line = static_cast<int>(code.left(at).count(QLatin1Char('\n'))) + 1;
        for (int id : ResourceNumbers(text)) {
            uses.push_back({id, QStringLiteral("%1:%2").arg(name).arg(line)});
        }
    };
    static const QRegularExpression kCall(
        QStringLiteral(R"(\b(ResourceImage|LoadStateImage|LoadPicture|setPicture)\s*\()"));
    for (auto it = kCall.globalMatch(code); it.hasNext();) {
        const auto match = it.next();
        add(UpToClosingParenthesis(code, match.capturedEnd()), match.capturedStart());
    }
    static const QRegularExpression kConstant(
        QStringLiteral(
            R"(\b(?:constexpr|const)\b[^;={}()]*?\b(\w*(?:Picture|Image|Icon|Resource|Background|Bitmap|Png)\w*)\s*(?:\[[^\]]*\])?\s*(?:=|\{)([^;]*);)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kField(
        QStringLiteral(R"(\b(\w*(?:backgroundId|ImageId|PictureId|IconId))\s*=\s*([^;=][^;]*);)"),
        QRegularExpression::CaseInsensitiveOption);
    // (case-sensitive, as a word of the camel-case name: kIconSize, iconWidth, kImageLeftPx)
    static const QRegularExpression kMeasure(QStringLiteral(
        "(?:^|[a-z0-9_])(?:Size|Width|Height|Margin|Gap|Count|Radius|Opacity|Alpha|Offset|Inset|"
        "Left|Top|Right|Bottom|Period|Timeout|Interval|Ticks|Ms|Px|Scale|Ratio|Slot|Index|"
        "Colou?r)(?![a-z])"));
    for (const auto* pattern : {&kConstant, &kField}) {
        for (auto it = pattern->globalMatch(code); it.hasNext();) {
            const auto match = it.next();
            if (kMeasure.match(match.captured(1)).hasMatch()) {
                continue;
            }
            add(match.captured(2), match.capturedStart(2));
        }
    }
    return uses;
}

std::vector<Use> UsesInSources() {
    std::vector<Use> uses;
    QDirIterator it(QStringLiteral(ORB_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::vector<Use> found = UsesIn(it.next());
        uses.insert(uses.end(), found.begin(), found.end());
    }
    return uses;
}

// Lays the pictures out on a sheet, tallest first, each over a checkerboard (so transparency
// shows) with its id printed under it.
QImage ContactSheet(const std::vector<CatalogueLine>& lines, int scale) {
    struct Item {
        int id;
        QImage image;
    };
    std::vector<Item> items;
    for (const CatalogueLine& line : lines) {
        QImage image(scale == 1 ? QStringLiteral(":/PNG/%1.png").arg(line.id)
                                : QStringLiteral(":/PNG/%1@2x.png").arg(line.id));
        if (image.isNull()) {  // still shown, as an empty red-framed cell of its nominal size
            image = QImage(line.size * scale, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setPen(QPen(QColor(255, 0, 0), 2 * scale));
            painter.drawRect(image.rect().adjusted(scale, scale, -scale, -scale));
        }
        image.setDevicePixelRatio(1.0);
        items.push_back({line.id, image});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.image.height() != b.image.height() ? a.image.height() > b.image.height()
                                                    : a.id < b.id;
    });

    const int margin = 16 * scale;
    const int gap = 14 * scale;
    const int label = 22 * scale;
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(13 * scale);
    const QFontMetrics metrics(font);
    auto caption = [](const Item& item, int s) {
        return QStringLiteral("%1  %2\u00D7%3")
            .arg(item.id)
            .arg(item.image.width() / s)
            .arg(item.image.height() / s);
    };
    int sheetWidth = (3 * 860 + 2 * 14 + 2 * 16) * scale;  // three page backgrounds a row
    for (const Item& item : items) {
        sheetWidth = std::max(sheetWidth, item.image.width() + 2 * margin);
    }
    // shelf packing; a cell is as wide as its picture or its caption
    std::vector<QPoint> places;
    std::vector<int> widths;
    int x = margin;
    int y = margin;
    int shelf = 0;
    for (const Item& item : items) {
        const int w = std::max(item.image.width(),
                               metrics.horizontalAdvance(caption(item, scale)) + 2 * scale);
        if (x > margin && x + w > sheetWidth - margin) {
            x = margin;
            y += shelf + label + gap;
            shelf = 0;
        }
        places.emplace_back(x, y);
        widths.push_back(w);
        x += w + gap;
        shelf = std::max(shelf, item.image.height());
    }
    const int sheetHeight = y + shelf + label + margin;

    // three bytes a pixel: the 2x sheet holds every page background at 1720 x 1280
    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB888);
    sheet.fill(QColor(232, 235, 238));
    QPainter painter(&sheet);
    painter.setFont(font);
    const int square = 8 * scale;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QImage& image = items[i].image;
        const QRect cell(places[i], image.size());
        painter.fillRect(cell.adjusted(-scale, -scale, scale, scale), QColor(170, 176, 182));
        painter.save();
        painter.setClipRect(cell);
        for (int cy = cell.top(); cy <= cell.bottom(); cy += square) {
            for (int cx = cell.left(); cx <= cell.right(); cx += square) {
                const bool dark =
                    (((cx - cell.left()) / square) + ((cy - cell.top()) / square)) % 2;
                painter.fillRect(QRect(cx, cy, square, square),
                                 dark ? QColor(214, 218, 222) : QColor(255, 255, 255));
            }
        }
        painter.restore();
        painter.drawImage(cell.topLeft(), image);
        painter.setPen(QColor(50, 50, 50));
        painter.drawText(QRect(cell.left(), cell.bottom() + 1 + scale, widths[i], label),
                         Qt::AlignLeft | Qt::AlignVCenter, caption(items[i], scale));
    }
    painter.end();
    return sheet;
}

}  // namespace

TEST(ArtCatalogueTest, CatalogueLinesParseAndIdsAreUnique) {
    QStringList errors;
    const std::vector<CatalogueLine> lines = ReadCatalogue(&errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(lines.empty()) << "no resources/art/catalogue-*.txt lines";
    std::map<int, QString> seen;
    for (const CatalogueLine& line : lines) {
        EXPECT_TRUE(line.size.width() > 0 && line.size.height() > 0) << line.where.toStdString();
        const auto [it, fresh] = seen.emplace(line.id, line.where);
        EXPECT_TRUE(fresh) << "picture " << line.id
                           << " is catalogued twice: " << it->second.toStdString() << " and "
                           << line.where.toStdString();
    }
}

TEST(ArtCatalogueTest, EveryCataloguedPictureIsCarriedAtItsSizes) {
    for (const CatalogueLine& line : ReadCatalogue()) {
        SCOPED_TRACE(line.where.toStdString() + " (picture " + std::to_string(line.id) + ")");
        const QImage one(QStringLiteral(":/PNG/%1.png").arg(line.id));
        const QImage two(QStringLiteral(":/PNG/%1@2x.png").arg(line.id));
        ASSERT_FALSE(one.isNull()) << ":/PNG/" << line.id << ".png is missing";
        ASSERT_FALSE(two.isNull()) << ":/PNG/" << line.id << "@2x.png is missing";
        EXPECT_EQ(one.size(), line.size);
        EXPECT_EQ(two.size(), line.size * 2);
        EXPECT_TRUE(HasVisiblePixel(one)) << "the 1x picture is fully transparent";
        EXPECT_TRUE(HasVisiblePixel(two)) << "the 2x picture is fully transparent";

        const QImage hi = controls::ResourceImage(line.id, 2.0);
        EXPECT_EQ(hi.size(), line.size * 2);
        EXPECT_DOUBLE_EQ(hi.devicePixelRatio(), 2.0);
        const QImage lo = controls::ResourceImage(line.id, 1.0);
        EXPECT_EQ(lo.size(), line.size);
        EXPECT_DOUBLE_EQ(lo.devicePixelRatio(), 1.0);
    }
}

TEST(ArtCatalogueTest, EverySvgSourceHasACatalogueLineAndBack) {
    std::set<int> svgs;
    QStringList strays;
    const QDir dir(ArtDir());
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.svg")}, QDir::Files)) {
        bool ok = false;
        const int id = info.completeBaseName().toInt(&ok);
        if (ok) {
            svgs.insert(id);
        } else {
            strays.append(info.fileName());
        }
    }
    EXPECT_TRUE(strays.isEmpty()) << "SVGs not named by a resource id: "
                                  << strays.join(QStringLiteral(", ")).toStdString();
    const std::set<int> catalogued = CatalogueIds();
    for (int id : svgs) {
        EXPECT_TRUE(catalogued.count(id) == 1)
            << "resources/art/" << id << ".svg has no catalogue line";
    }
    for (int id : catalogued) {
        EXPECT_TRUE(svgs.count(id) == 1)
            << "catalogued picture " << id << " has no resources/art/" << id << ".svg";
    }
}

// The scanner itself: calls and picture constants count, comments, strings and measures do not.
TEST(ArtCatalogueTest, SourceScannerFindsPictureIdsOnly) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("Scanned.cpp"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write(R"cpp(
            // ResourceImage(9001) in a comment, and PNG 9002
            /* LoadStateImage(1, 9003) */
            constexpr int kButtonPictures[] = {1001, 1002, 1003, 1004};
            constexpr int kCrossPicture = 1005;
            static constexpr int kImageId = 1006;
            constexpr int kIconSize = 1007;
            constexpr int kImageWidth = 1008;
            const char* kIconText = "1009";
            void f() {
                button.LoadStateImage(0, 1010);
                button.LoadStateImage(1, kCrossPicture);
                auto image = controls::ResourceImage(1011, 2.0);
                look.backgroundId = 1012;
                int width = 1013;
                auto x = ResourceImage(0x1014);
            }
        )cpp");
    }
    std::set<int> found;
    for (const Use& use : UsesIn(path)) {
        found.insert(use.id);
    }
    EXPECT_EQ(found, (std::set<int>{1001, 1002, 1003, 1004, 1005, 1006, 1010, 1011, 1012}));
}

TEST(ArtCatalogueTest, EveryPictureTheCodeAsksForIsCatalogued) {
    const std::set<int> catalogued = CatalogueIds();
    std::vector<Use> uses = UsesInSources();
    // The page looks are a table of aggregates; ask the table itself for its backgrounds.
    for (int page = 0; page <= 20; ++page) {
        const int id = PageLookOf(page).backgroundId;
        if (id != 0) {
            uses.push_back({id, QStringLiteral("PageLookOf(%1).backgroundId").arg(page)});
        }
    }
    EXPECT_FALSE(uses.empty());
    for (const Use& use : uses) {
        EXPECT_TRUE(catalogued.count(use.id) == 1)
            << use.where.toStdString() << " asks for picture " << use.id
            << ", which no resources/art/catalogue-*.txt line names";
    }
}

TEST(ArtCatalogueTest, WritesContactSheets) {
    const std::vector<CatalogueLine> lines = ReadCatalogue();
    ASSERT_FALSE(lines.empty());
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/gallery");
    ASSERT_TRUE(QDir().mkpath(dir));
    for (int scale : {1, 2}) {
        const QImage sheet = ContactSheet(lines, scale);
        ASSERT_FALSE(sheet.isNull());
        // written to a side file and renamed, so a viewer never sees half a sheet
        const QString path = QDir(dir).filePath(QStringLiteral("art-%1x.png").arg(scale));
        QSaveFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        EXPECT_TRUE(sheet.save(&file, "PNG")) << path.toStdString();
        EXPECT_TRUE(file.commit()) << path.toStdString();
    }
}
