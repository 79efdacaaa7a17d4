// Arbitrary cloud discovery replies from the recorder, read as the camera step reads them: the
// list the worker keeps, each line's camera fields, and the checks made on an entry; then the
// create page's password rule on two typed texts.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "device/CommandCatalogue.h"
#include "device/ReplyParser.h"
#include "shell/CameraList.h"

namespace {

constexpr qsizetype kCopiedFields = 9;

void CheckEntry(const QString& line) {
    const auto entry = cameras::EntryFromLine(line);
    const QStringList fields = line.split(u';');
    FuzzCheck(entry.has_value() == (fields.size() > 1 && !fields[1].isEmpty()));
    if (!entry) {
        return;
    }
    const QStringList copied = {entry->addedFlag, entry->cameraIp, entry->cameraMac,
                                entry->brand,     entry->model,    entry->account,
                                entry->password,  entry->protocol, entry->protocolType};
    for (const QString& field : copied) {
        FuzzCheck(!field.contains(u';'));
    }
    // The copied fields written out again give the line back, up to the fields beyond nine.
    if (fields.size() <= kCopiedFields) {
        FuzzCheck(copied.mid(0, fields.size()).join(u';') == line);
        for (qsizetype i = fields.size(); i < kCopiedFields; ++i) {
            FuzzCheck(copied[i].isEmpty());
        }
    } else {
        FuzzCheck(line.startsWith(copied.join(u';') + u';'));
    }
    FuzzCheck(entry->verified == 0 && entry->selected == 0);
    FuzzCheck(cameras::IsLegacy(*entry) == (ReadLeadingNumber(entry->protocolType) == 0));
    FuzzCheck(cameras::PasswordKnownWhenListed(*entry) == (entry->account == u"admin"));
}

bool BreaksRule(const QString& password) {
    if (password.size() < 6 || password.size() > 30) {
        return true;
    }
    for (const QChar c : password) {
        if (QStringLiteral("/:& ").contains(c)) {
            return true;
        }
    }
    return false;
}

void CheckNewPassword(const QString& first, const QString& second) {
    using cameras::NewPassword;
    const NewPassword verdict = cameras::CheckNewPassword(first, second);
    if (first != second) {
        FuzzCheck(verdict == NewPassword::Mismatch);
    } else {
        FuzzCheck(verdict == (BreaksRule(first) ? NewPassword::BreaksRule : NewPassword::Ok));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = DiscoveryListOf(QString::fromLocal8Bit(bytes));
    for (const QString& line : lines) {
        CheckEntry(line);
    }
    // The whole body as one line, line ends and all.
    CheckEntry(QString::fromLocal8Bit(bytes));

    FuzzInput in(data, size);
    const QString first = QString::fromUtf8(in.Piece());
    const QString second = QString::fromUtf8(in.Rest());
    CheckNewPassword(first, second);
    CheckNewPassword(first, first);
    return 0;
}
