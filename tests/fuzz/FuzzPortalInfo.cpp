// Arbitrary "/config/nubraportal" replies through the worker's reading of the seven portal
// values, the text GetPortalInfo joins from them and the camera step's split of that text, and
// on to the desktop shortcut those values plan; arbitrary texts through the split alone.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "device/CommandCatalogue.h"
#include "device/ReplyParser.h"
#include "platform/UrlPolicy.h"
#include "shell/CameraList.h"
#include "shell/DesktopShortcut.h"
#include "shell/Product.h"
#include "shell/ShortcutPlan.h"

namespace {

constexpr qsizetype kValues = 7;

QStringList FieldsOf(const cameras::PortalValues& v) {
    return {v.status,    v.access, v.portalUrl,     v.portalNumber,
            v.portalDfp, v.model,  v.localHyperlink};
}

// Whatever the recorder and the portal said, the shortcut opens an http(s) address, is named
// after the model (and a plain portal number), and its file keeps each value on its line.
void CheckShortcut(const cameras::PortalValues& values) {
    const shortcut::Plan plan = shortcut::PlanShortcut(values.access, values.portalUrl,
                                                       values.portalNumber, values.localHyperlink);
    FuzzCheck(platform::IsOpenableUrl(plan.target));
    const QString model = QString::fromUtf16(product::kModel);
    if (plan.name != model) {
        FuzzCheck(plan.name.startsWith(model + u'(') && plan.name.endsWith(u')'));
        FuzzCheck(shortcut::IsPlainPortalNumber(plan.name.mid(model.size() + 1).chopped(1)));
    }
    const QString file = shortcut::FileName(plan);
    FuzzCheck(!file.contains(u'/') && !file.contains(u'\\') && !file.startsWith(u'.'));
    const QString arguments = shortcut::ExplorerArguments(plan);
    FuzzCheck(arguments == shortcut::MakerSite() ||
              (arguments == u'"' + plan.target + u'"' && !plan.target.contains(u'"')));

    const QString entry =
        QString::fromUtf8(shortcut::DesktopEntry(plan.name, plan.target, values.localHyperlink));
    const QStringList lines = entry.split(u'\n');
    FuzzCheck(lines.size() == (values.localHyperlink.isEmpty() ? 6 : 7) && lines.back().isEmpty());
    const QStringList keys = {QStringLiteral("[Desktop Entry]"),
                              QStringLiteral("Version=1.0"),
                              QStringLiteral("Type=Link"),
                              QStringLiteral("Name="),
                              QStringLiteral("URL="),
                              QStringLiteral("Icon=")};
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        FuzzCheck(lines[i].startsWith(keys[i]));
        for (const QChar c : lines[i]) {
            FuzzCheck(c.unicode() >= 0x20 && c.unicode() != 0x7F);
        }
    }
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
    CheckShortcut(reading.values);
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
    CheckShortcut(reading.values);
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
