#include "controls/CBaseStatic2.h"

#include <algorithm>

namespace controls {
namespace {

const QString kOpen = QStringLiteral("<br>");
const QString kClose = QStringLiteral("</br>");

bool OnlySpaces(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == QLatin1Char(' '); });
}

}  // namespace

CBaseStatic2::CBaseStatic2(QWidget* parent) : CBaseStatic(parent) {}

QList<TextSegment> CBaseStatic2::SplitSegments(const QString& text) {
    QList<TextSegment> out;
    auto flush = [&out](const QString& run, bool emphasised) {
        if (!OnlySpaces(run)) {
            out.append({run, emphasised});
        }
    };
    bool emphasised = false;
    qsizetype from = 0;
    while (from <= text.size()) {
        const qsizetype open = text.indexOf(kOpen, from);
        const qsizetype close = text.indexOf(kClose, from);
        qsizetype at = text.size();
        const QString* marker = nullptr;
        if (open >= 0 && (close < 0 || open < close)) {
            at = open;
            marker = &kOpen;
        } else if (close >= 0) {
            at = close;
            marker = &kClose;
        }
        flush(text.mid(from, at - from), emphasised);
        if (marker == nullptr) {
            break;
        }
        emphasised = marker == &kOpen;
        from = at + marker->size();
    }
    return out;
}

QString CBaseStatic2::plainText() const {
    QString plain;
    for (const TextSegment& segment : SplitSegments(text())) {
        plain += segment.text;
    }
    return plain;
}

}  // namespace controls
