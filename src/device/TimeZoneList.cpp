#include "device/TimeZoneList.h"

#include <array>

#include "device/ReplyParser.h"

namespace zones {
namespace {

constexpr std::array<const char16_t*, 154> kBuiltInNames = {
    u"(GMT-12:00) International Date Line West",
    u"(GMT-11:00) Coordinated Universal Time-11",
    u"(GMT-10:00) Hawaii",
    u"(GMT-09:00) Alaska",
    u"(GMT-08:00) Baja California",
    u"(GMT-08:00) Pacific Time (US & Canada)",
    u"(GMT-07:00) Mountain Time (US & Canada)",
    u"(GMT-07:00) Arizona",
    u"(GMT-07:00) Chihuahua",
    u"(GMT-07:00) La Paz",
    u"(GMT-07:00) Mazatlan",
    u"(GMT-06:00) Central America",
    u"(GMT-06:00) Central Time (US & Canada)",
    u"(GMT-06:00) Guadalajara",
    u"(GMT-06:00) Mexico City, Monterrey",
    u"(GMT-06:00) Monterrey",
    u"(GMT-06:00) Saskatchewan",
    u"(GMT-05:00) Indiana (East)",
    u"(GMT-05:00) Eastern Time (US & Canada)",
    u"(GMT-05:00) Bogota",
    u"(GMT-05:00) Lima",
    u"(GMT-05:00) Quito",
    u"(GMT-04:30) Caracas",
    u"(GMT-04:00) Atlantic Time (Canada)",
    u"(GMT-04:00) Cuiaba",
    u"(GMT-04:00) Georgetown",
    u"(GMT-04:00) La Paz",
    u"(GMT-04:00) Manaus",
    u"(GMT-04:00) San Juan",
    u"(GMT-04:00) Asuncion",
    u"(GMT-04:00) Santiago",
    u"(GMT-03:30) Newfoundland",
    u"(GMT-03:00) Brasilia",
    u"(GMT-03:00) Buenos Aires",
    u"(GMT-03:00) Greenland",
    u"(GMT-03:00) Cayenne",
    u"(GMT-03:00) Fortaleza",
    u"(GMT-03:00) Montevideo",
    u"(GMT-02:00) Mid-Atlantic",
    u"(GMT-02:00) Coordinated Universal Time-2",
    u"(GMT-01:00) Azores",
    u"(GMT-01:00) Cape Verde Is.",
    u"(GMT) Casablanca",
    u"(GMT) Coordinated Universal Time",
    u"(GMT) Dublin, Edinburgh, Lisbon, London",
    u"(GMT) Monrovia, Reykjavik",
    u"(GMT+01:00) West Central Africa",
    u"(GMT+01:00) Brussels",
    u"(GMT+01:00) Copenhagen",
    u"(GMT+01:00) Madrid",
    u"(GMT+01:00) Paris",
    u"(GMT+01:00) Belgrade",
    u"(GMT+01:00) Bratislava",
    u"(GMT+01:00) Budapest",
    u"(GMT+01:00) Ljubljana",
    u"(GMT+01:00) Prague",
    u"(GMT+01:00) Amsterdam",
    u"(GMT+01:00) Berlin",
    u"(GMT+01:00) Bern",
    u"(GMT+01:00) Rome",
    u"(GMT+01:00) Stockholm",
    u"(GMT+01:00) Vienna",
    u"(GMT+01:00) Sarajevo",
    u"(GMT+01:00) Skopje",
    u"(GMT+01:00) Warsaw",
    u"(GMT+01:00) Zagreb",
    u"(GMT+01:00) Windhoek",
    u"(GMT+02:00) Damascus",
    u"(GMT+02:00) Nicosia",
    u"(GMT+02:00) Istanbul",
    u"(GMT+02:00) Amman",
    u"(GMT+02:00) Beirut",
    u"(GMT+02:00) Harare",
    u"(GMT+02:00) Pretoria",
    u"(GMT+02:00) Jerusalem",
    u"(GMT+02:00) Cairo",
    u"(GMT+02:00) Athens",
    u"(GMT+02:00) Bucharest",
    u"(GMT+02:00) Helsinki",
    u"(GMT+02:00) Kyiv",
    u"(GMT+02:00) Riga",
    u"(GMT+02:00) Sofia",
    u"(GMT+02:00) Tallinn",
    u"(GMT+02:00) Vilnius",
    u"(GMT+03:00) Baghdad",
    u"(GMT+03:00) Kaliningrad",
    u"(GMT+03:00) Minsk",
    u"(GMT+03:00) Nairobi",
    u"(GMT+03:00) Kuwait",
    u"(GMT+03:00) Riyadh",
    u"(GMT+03:30) Tehran",
    u"(GMT+04:00) Baku",
    u"(GMT+04:00) Abu Dhabi",
    u"(GMT+04:00) Muscat",
    u"(GMT+04:00) Tbilisi",
    u"(GMT+04:00) Moscow",
    u"(GMT+04:00) St. Petersburg",
    u"(GMT+04:00) Volgograd",
    u"(GMT+04:00) Yerevan",
    u"(GMT+04:00) Port Louis",
    u"(GMT+04:30) Kabul",
    u"(GMT+05:00) Islamabad",
    u"(GMT+05:00) Karachi",
    u"(GMT+05:00) Tashkent",
    u"(GMT+05:30) Chennai",
    u"(GMT+05:30) Kolkata",
    u"(GMT+05:30) Mumbai",
    u"(GMT+05:30) New Delhi",
    u"(GMT+05:30) Sri Jayawardenepura",
    u"(GMT+05:45) Kathmandu",
    u"(GMT+06:00) Ekaterinburg",
    u"(GMT+06:00) Astana",
    u"(GMT+06:00) Dhaka",
    u"(GMT+06:30) Yangon (Rangoon)",
    u"(GMT+07:00) Bangkok",
    u"(GMT+07:00) Hanoi",
    u"(GMT+07:00) Jakarta",
    u"(GMT+07:00) Novosibirsk",
    u"(GMT+08:00) Beijing",
    u"(GMT+08:00) Chongqing",
    u"(GMT+08:00) Hong Kong",
    u"(GMT+08:00) Urumqi",
    u"(GMT+08:00) Taipei",
    u"(GMT+08:00) Kuala Lumpur",
    u"(GMT+08:00) Singapore",
    u"(GMT+08:00) Perth",
    u"(GMT+08:00) Krasnoyarsk",
    u"(GMT+08:00) Ulaan Baatar",
    u"(GMT+09:00) Osaka",
    u"(GMT+09:00) Sapporo",
    u"(GMT+09:00) Tokyo",
    u"(GMT+09:00) Irkutsk",
    u"(GMT+09:00) Seoul",
    u"(GMT+09:30) Adelaide",
    u"(GMT+09:30) Darwin",
    u"(GMT+10:00) Brisbane",
    u"(GMT+10:00) Canberra",
    u"(GMT+10:00) Melbourne",
    u"(GMT+10:00) Sydney",
    u"(GMT+10:00) Yakutsk",
    u"(GMT+10:00) Hobart",
    u"(GMT+10:00) Guam",
    u"(GMT+10:00) Port Moresby",
    u"(GMT+11:00) Vladivostok",
    u"(GMT+11:00) Solomon Is.",
    u"(GMT+11:00) New Caledonia",
    u"(GMT+12:00) Magadan",
    u"(GMT+12:00) Petropavlovsk-Kamchatsky",
    u"(GMT+12:00) Coordinated Universal Time+12",
    u"(GMT+12:00) Fiji",
    u"(GMT+12:00) Auckland",
    u"(GMT+12:00) Wellington",
    u"(GMT+13:00) Nuku'alofa",
    u"(GMT+13:00) Samoa",
};

}  // namespace

const QString& BuiltInListText() {
    static const QString text = [] {
        QStringList names;
        names.reserve(static_cast<qsizetype>(kBuiltInNames.size()));
        for (const char16_t* name : kBuiltInNames) {
            names.append(QString::fromUtf16(name));
        }
        return QStringLiteral("timezonelist=") + names.join(u';');
    }();
    return text;
}

QString DecodeEntities(QString text) {
    static const std::array<std::pair<const char16_t*, const char16_t*>, 7> kEscapes = {{
        {u"&amp;", u"&"},
        {u"&lt;", u"<"},
        {u"&gt;", u">"},
        {u"&#35;", u"#"},
        {u"&quot;", u"\""},
        {u"&#40;", u"("},
        {u"&#41;", u")"},
    }};
    for (const auto& [escape, plain] : kEscapes) {
        text.replace(QString::fromUtf16(escape), QString::fromUtf16(plain));
    }
    return text;
}

QStringList ParseList(const QByteArray& body) {
    QString text = QString::fromUtf8(body);
    if (text.contains(QLatin1String("Access Error"))) {
        text = BuiltInListText();
    }
    text = DecodeEntities(std::move(text)).mid(kPrefixLength);
    // A cut through a character beyond the 16-bit range would leave half of it as a name.
    if (!text.isEmpty() && text.front().isLowSurrogate()) {
        text.remove(0, 1);
    }
    QStringList names = text.split(u';', Qt::SkipEmptyParts);
    if (names.size() > kMaxZones) {
        names.resize(kMaxZones);
    }
    return names;
}

int ReadCurrentZone(const QByteArray& body, int zoneCount) {
    ReplyParser reply(body);
    reply.SplitPairs(QStringLiteral("\r\n"));
    const QString value = reply.GetValue(QStringLiteral("timezone"));
    if (value.trimmed().isEmpty()) {
        return -1;
    }
    const std::int32_t zone = ReadLeadingNumber(value);
    return zone >= 1 && zone <= zoneCount ? zone : -1;
}

}  // namespace zones
