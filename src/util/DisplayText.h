#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Text from outside (a recorder's zone names, a camera's model, a portal's words) as the window
// may draw it: control characters, which would break a line or draw as boxes, become blanks,
// and the marks that reorder text (bidirectional embeddings, overrides and isolates) are
// dropped, so that no entry can make itself look like another or spill over its row.
QString DisplayText(QStringView text);
QStringList DisplayTexts(const QStringList& texts);
