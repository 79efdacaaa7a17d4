// The journal is what integration tests assert against: one compact JSON object per line.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Journal.h"

namespace {

QList<QJsonObject> Lines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QJsonObject> lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty()) {
            QJsonParseError error;
            lines.append(QJsonDocument::fromJson(line, &error).object());
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        }
    }
    return lines;
}

TEST(Journal, RecordsDatagramsHttpAndNotesOnePerLine) {
    QTemporaryDir dir;
    const QByteArray textBody = "email=a%40b.c\nline two \xC3\xA9";
    const QString path = dir.filePath(QStringLiteral("j.jsonl"));
    {
        sim::Journal journal(path);
        ASSERT_TRUE(journal.isOpen());
        journal.datagram(true, QStringLiteral("255.255.255.255:62976"),
                         QStringLiteral("10.77.0.5:40000"), QByteArray::fromHex("fdfd00ff0a"));
        sim::HttpRecord text;
        text.device = QStringLiteral("portal");
        text.tls = true;
        text.method = QStringLiteral("POST");
        text.target = QStringLiteral("/account/?signin");
        text.headers = {{QStringLiteral("Cookie"), QStringLiteral("a=1")},
                        {QStringLiteral("Cookie"), QStringLiteral("b=2")}};
        text.body = textBody;
        text.status = 200;
        journal.http(text);
        sim::HttpRecord binary = text;
        binary.body = QByteArray("\xFF\xD8\xFF\xE0", 4);
        journal.http(binary);
        journal.note(QStringLiteral("state \"changed\""));
    }
    const auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 4);

    EXPECT_EQ(lines[0]["type"].toString(), "datagram");
    EXPECT_EQ(lines[0]["direction"].toString(), "in");
    EXPECT_EQ(lines[0]["bytes"].toString(), "fdfd00ff0a");
    EXPECT_EQ(lines[0]["peer"].toString(), "10.77.0.5:40000");
    EXPECT_GT(lines[0]["time"].toDouble(), 1.6e12);  // milliseconds, not seconds

    EXPECT_EQ(lines[1]["type"].toString(), "http");
    EXPECT_TRUE(lines[1]["tls"].toBool());
    EXPECT_EQ(lines[1]["bodyText"].toString(), QString::fromUtf8("email=a%40b.c\nline two é"));
    EXPECT_EQ(lines[1]["body"].toString(), QString::fromLatin1(textBody.toHex()));
    EXPECT_EQ(lines[1]["headers"].toArray().size(), 2);
    EXPECT_EQ(lines[1]["headers"].toArray()[1].toArray()[1].toString(), "b=2");
    EXPECT_EQ(lines[1]["status"].toInt(), 200);

    EXPECT_FALSE(lines[2].contains(QLatin1String("bodyText")));  // not UTF-8
    EXPECT_EQ(lines[2]["body"].toString(), "ffd8ffe0");

    EXPECT_EQ(lines[3]["type"].toString(), "note");
    EXPECT_EQ(lines[3]["text"].toString(), "state \"changed\"");
}

TEST(Journal, WithoutFileRecordsNothing) {
    sim::Journal journal;
    EXPECT_FALSE(journal.isOpen());
    journal.note(QStringLiteral("dropped"));
    journal.datagram(false, QString(), QString(), QByteArray(10, 'x'));
    EXPECT_TRUE(journal.lines().isEmpty());
}

// Server threads write while a test reads: no line may be lost, torn or interleaved.
TEST(Journal, InMemoryKeepsEveryLineOfConcurrentWriters) {
    sim::Journal journal{sim::Journal::InMemory{}};
    ASSERT_TRUE(journal.isOpen());
    constexpr int kWriters = 4;
    constexpr int kEach = 200;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&journal, w] {
            for (int i = 0; i < kEach; ++i) {
                sim::HttpRecord record;
                record.device = QStringLiteral("writer %1").arg(w);
                record.target = QStringLiteral("/n?i=%1").arg(i);
                record.status = 200 + w;
                journal.http(record);
            }
        });
    }
    qsizetype seen = 0;
    while (seen < kWriters * kEach) {
        const QList<QByteArray> lines = journal.lines();
        EXPECT_GE(lines.size(), seen) << "lines only ever grow";
        seen = lines.size();
    }
    for (std::thread& writer : writers) {
        writer.join();
    }

    const QList<QJsonObject> entries = journal.entries();
    ASSERT_EQ(entries.size(), kWriters * kEach);
    QList<int> next(kWriters, 0);
    for (const QJsonObject& entry : entries) {
        const int w = entry["status"].toInt() - 200;
        ASSERT_GE(w, 0);
        ASSERT_LT(w, kWriters);
        // Each writer's lines arrive in its own order.
        EXPECT_EQ(entry["target"].toString(), QStringLiteral("/n?i=%1").arg(next[w]++));
        EXPECT_EQ(entry["device"].toString(), QStringLiteral("writer %1").arg(w));
    }
    EXPECT_FALSE(journal.lines().constFirst().endsWith('\n'));
}

}  // namespace
