// Arbitrary "/config/nubraportal" replies through the worker's reading of the seven portal
// values, the text GetPortalInfo joins from them and the camera step's split of that text;
// and arbitrary texts through the split alone.
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

constexpr qsizetype kValues = 7;

QStringList FieldsOf(const cameras::PortalValues& v) {
    return {v.status,    v.access, v.portalUrl,     v.portalNumber,
            v.portalDfp, v.model,  v.localHyperlink};
}

void CheckRecorderReply(const QString& reply) {
    const QStringList values = PortalValuesOf(reply);
    FuzzCheck(values.size() == kValues);
    ReplyParser parser(reply);
    parser.SplitPairs(QStringLiteral("\r\n"));
    const char* const keys[] = {"status",     "access", "portal_url",    "portal_number",
                                "portal_dfp", "model",  "localhyperlink"};
    for (qsizetype i = 0; i < kValues; ++i) {
        FuzzCheck(values[i] == parser.GetValue(QString::fromLatin1(keys[i])));
        FuzzCheck(!values[i].contains(QStringLiteral("\r\n")));
    }

    const QString info = JoinPortalValues(values);
    FuzzCheck(info.count(u'&') >= kValues - 1);
    const cameras::PortalReading reading = cameras::ReadPortalInfo(info);
    FuzzCheck(reading.state == cameras::PortalReading::State::Read);
    // The link is always what follows the last "&"; without an "&" inside a value, every
    // value comes back where it was.
    FuzzCheck(reading.values.localHyperlink == info.mid(info.lastIndexOf(u'&') + 1));
    bool plain = true;
    for (const QString& value : values) {
        plain = plain && !value.contains(u'&');
    }
    if (plain) {
        FuzzCheck(FieldsOf(reading.values) == values);
    }
}

void CheckSplit(const QString& text) {
    const cameras::PortalReading reading = cameras::ReadPortalInfo(text);
    const QStringList fields = FieldsOf(reading.values);
    if (text.isEmpty() || text == u"-1") {
        FuzzCheck(reading.state == (text.isEmpty() ? cameras::PortalReading::State::Pending
                                                   : cameras::PortalReading::State::Refused));
        for (const QString& field : fields) {
            FuzzCheck(field.isEmpty());
        }
        return;
    }
    FuzzCheck(reading.state == cameras::PortalReading::State::Read);
    for (const QString& field : fields) {
        FuzzCheck(!field.contains(u'&'));
    }
    const QStringList pieces = text.split(u'&');
    if (pieces.size() == 1) {
        FuzzCheck(reading.values.status == text);
        for (qsizetype i = 1; i < kValues; ++i) {
            FuzzCheck(fields[i].isEmpty());
        }
        return;
    }
    FuzzCheck(reading.values.localHyperlink == pieces.back());
    for (qsizetype i = 0; i < kValues - 1; ++i) {
        FuzzCheck(fields[i] == (i < pieces.size() - 1 ? pieces[i] : QString()));
    }
}

void CheckJoin(const QStringList& values) {
    QStringList seven = values.mid(0, kValues);
    while (seven.size() < kValues) {
        seven.append(QString());
    }
    FuzzCheck(JoinPortalValues(values) == seven.join(u'&'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromLocal8Bit(bytes);
    CheckRecorderReply(text);
    CheckSplit(text);

    QStringList values;
    FuzzInput in(data, size);
    while (!in.empty() && values.size() < 2 * kValues) {
        values.append(QString::fromLocal8Bit(in.Piece('\n')));
    }
    CheckJoin(values);
    return 0;
}
