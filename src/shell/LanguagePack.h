#pragma once

#include <QString>
#include <QStringView>

namespace shell {

struct LanguageInfo {
    const char16_t* shownAs;  // the name the Home page lists
    const char* fileName;     // the pack's file name in the temporary folder
    int resourceId;           // the pack's resource of type "INI"
    int recorderNumber;       // the recorder's own number for the language
};

inline constexpr int kLanguageCount = 22;
inline constexpr int kEnglish = 0;

// The language table; English for an index outside 0..21.
const LanguageInfo& LanguageAt(int index);

// The active language (process-wide, user-interface thread only). English at start.
int LanguageIndex();
void SetLanguageIndex(int index);

// The folder the active pack was written to, ending with a separator; empty before the first
// successful load.
QString LanguageFolder();

// Writes the pack of `index` to the temporary folder and remembers the folder. False when the
// program carries no such pack; the folder is then left as it was.
bool LoadLanguagePack(int index);

// The text of `key` in the active pack, or `fallback` when the pack or the key is missing. A
// key present with an empty value gives the empty text. Non-empty fills replace "{0}".."{3}";
// "@@" becomes the model name.
QString LookupText(QStringView key, QStringView fallback, const QString& fill0 = {},
                   const QString& fill1 = {}, const QString& fill2 = {}, const QString& fill3 = {});

// The recorder's number for the active language (4, English, outside 0..21).
int RecorderLanguageNumber();

// Chinese (both scripts) and Japanese lay rich text out line by line.
bool UsesAlternativeLineLayout(int index);

// Fills "{0}".."{3}" from the non-empty fills and "@@" with the model name in one pass over
// `text`; what a fill brings in is never scanned again.
QString FillPlaceholders(QStringView text, const QString& fill0, const QString& fill1,
                         const QString& fill2, const QString& fill3);

}  // namespace shell
