#include "controls/Fonts.h"

#include "platform/Desktop.h"

namespace controls {

QString ResolveFamily(const QString& family) {
    const bool replaceable = family.compare(QLatin1String("Verdana"), Qt::CaseInsensitive) == 0 ||
                             family.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0;
    if (replaceable && !platform::IsFontInstalled(family)) {
        return QStringLiteral("Arial");
    }
    return family;
}

QFont UiFont(int pixelSize, bool bold, const QString& family) {
    QFont font(ResolveFamily(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace controls
