#pragma once

#include <QString>

namespace controls {

// Turns a language text with "<br>"…"</br>" emphasis into Qt rich text: everything else is
// shown literally, the markers become bold and are never shown themselves.
QString EmphasisToHtml(const QString& text);

}  // namespace controls
