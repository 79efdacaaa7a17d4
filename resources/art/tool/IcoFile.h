#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// An .ico file holding each image as a PNG entry (read by every system since 2007).
QByteArray BuildIcoFile(const QList<QImage>& images);
