#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace util {

// Longest value the reader returns, in UTF-16 code units.
inline constexpr int kIniMaxValueLength = 4095;

// Decodes an INI file's bytes: UTF-16LE or UTF-8 after their byte-order marks, otherwise the
// system's 8-bit encoding.
QString DecodeIniText(const QByteArray& bytes);

// Finds a value with the private-profile rules: the first section of that name (letter case
// ignored), the first line in it whose key, without surrounding blanks, equals the requested
// key without surrounding blanks (letter case ignored). The value loses its surrounding blanks
// and is cut to kIniMaxValueLength. A present key with an empty value gives an empty string;
// a missing section or key gives nullopt. Lines without "=" are ignored.
std::optional<QString> FindIniValue(QStringView text, QStringView section, QStringView key);

}  // namespace util
