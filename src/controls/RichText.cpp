#include "controls/RichText.h"

namespace controls {

QString EmphasisToHtml(const QString& text) {
    static const QString kOpen = QStringLiteral("<br>");
    static const QString kClose = QStringLiteral("</br>");
    QString html;
    bool bold = false;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.mid(i, kOpen.size()) == kOpen) {
            if (!bold) {
                html += QStringLiteral("<b>");
                bold = true;
            }
            i += kOpen.size();
        } else if (text.mid(i, kClose.size()) == kClose) {
            if (bold) {
                html += QStringLiteral("</b>");
                bold = false;
            }
            i += kClose.size();
        } else {
            const qsizetype next =
                std::min(text.indexOf(kOpen, i) < 0 ? text.size() : text.indexOf(kOpen, i),
                         text.indexOf(kClose, i) < 0 ? text.size() : text.indexOf(kClose, i));
            html += text.mid(i, next - i).toHtmlEscaped();
            i = next;
        }
    }
    if (bold) {
        html += QStringLiteral("</b>");
    }
    return html;
}

}  // namespace controls
