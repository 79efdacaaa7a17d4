#pragma once

#include <QString>

// Whether `text` is an e-mail address the cloud portal can take: a local part of printable
// characters without specials (or quoted strings with escapes), one "@", and a domain with at
// least one "." that neither starts it nor follows another. The check works on the text's
// 8-bit form, so a letter outside ASCII always fails.
bool CheckEmailAddress(const QString& text);
