#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The bytes of a resource carried by the program, named by type ("INI", "ICO", "PNG") and id.
// Empty when there is no such resource.
QByteArray ResourceBytes(const QString& type, int id);

}  // namespace platform
