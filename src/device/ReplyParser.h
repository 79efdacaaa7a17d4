#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>

// Reads the recorder's replies: key=value pairs or plain items, cut at a separator (CR LF in
// every reply). Keys compare exactly; the first of a repeated key wins.
class ReplyParser final {
public:
    explicit ReplyParser(QString text) : text_(std::move(text)) {}
    // Bytes as the recorder sends them, in the system's 8-bit encoding.
    explicit ReplyParser(const QByteArray& bytes);

    // The number of pairs, or -1 for an empty text. Pieces without "=" are skipped.
    int SplitPairs(const QString& separator);
    // The value of the first pair with that (non-empty) key; empty when there is none.
    QString GetValue(const QString& key) const;

    // The number of non-empty pieces, or -1 for an empty text.
    int SplitItems(const QString& separator);
    QString GetItem(int index) const;

    const QString& text() const { return text_; }

private:
    QString text_;
    QList<QPair<QString, QString>> pairs_;
    QStringList items_;
};

// A number as the recorder writes it: optional blanks, an optional sign, then digits up to the
// first other character; 0 without digits. Saturates instead of overflowing.
std::int32_t ReadLeadingNumber(const QString& text);
