#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The head of one HTTP request as it arrived: request line and header fields, undecoded.
struct HttpRequestHead {
    QByteArray method;
    QByteArray target;   // path and query as received (origin form or absolute form)
    QByteArray version;  // e.g. "HTTP/1.1"
    QList<QPair<QByteArray, QByteArray>> fields;  // names as sent, values without blanks around

    // The first field of this name (compared ignoring case), or none.
    std::optional<QByteArray> field(QByteArrayView name) const;
    // The target's path, percent-decoded as UTF-8 ("/" when the target has none).
    QString path() const;
    // The target's query as received (empty when there is none).
    QString query() const;
    // The path followed by "?" and the query when the query is not empty.
    QString uri() const;
};

// The request head parser: a pure function over the bytes received so far on a connection.
namespace HttpRequestParser {

// A line may hold at most this many bytes, its CR LF included.
constexpr qsizetype kMaxLineBytes = 8190;
// Lines read (request line included) without the head being complete after which the
// connection is given up: a head carries at most 99 header field lines.
constexpr int kMaxHeaderLines = 101;

enum class Outcome {
    Incomplete,    // more bytes are needed
    Complete,      // `head` is filled and `consumed` bytes belong to it
    Malformed,     // a line is no part of an HTTP request head (answered 400)
    LineTooLong,   // kMaxLineBytes without a CR LF (the connection is dropped)
    TooManyLines,  // kMaxHeaderLines without the end of the head (dropped too)
};

struct Parsed {
    Outcome outcome = Outcome::Incomplete;
    HttpRequestHead head;
    qsizetype consumed = 0;
};

Parsed parse(QByteArrayView bytes);

// An unsigned decimal number the way strtoull reads it: blanks and a "+" may lead, anything
// after the digits is ignored. None without digits, beyond 64 bits, or with a "-" sign (a
// negative length is no length).
std::optional<quint64> parseNumber(QByteArrayView text);

enum class BodyLength { None, Valid, Invalid };
// What the head's "Content-Length" fields say: none, one valid length (repeated fields must
// agree), or something that is no length.
BodyLength contentLength(const HttpRequestHead &head, quint64 *length);

}
