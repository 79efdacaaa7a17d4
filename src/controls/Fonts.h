#pragma once

#include <QFont>
#include <QString>

namespace controls {

// The family to draw with: Verdana and Tahoma fall back to Arial when missing; the system's
// font matching goes on from there (Liberation Sans or DejaVu Sans on Linux).
QString ResolveFamily(const QString& family);

// A font of `pixelSize` pixels (the wizard's sizes are pixel heights).
QFont UiFont(int pixelSize, bool bold = false, const QString& family = QStringLiteral("Verdana"));

}  // namespace controls
