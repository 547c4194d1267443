#pragma once

#include "addressbook/ABRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariantMap>

#include <optional>

// Value rules shared by the LDIF and CSV readers.
namespace ImportValues {

// The marker that bit 0 of the import mask puts after imported last names.
inline const QString kMarker = QStringLiteral(" (*)");

// The last name followed by the marker ("Smith (*)"), or the marker alone when there is none.
QString markedLastName(const QString &last);
// Marks the person's last name so (markedLastName).
void appendMarker(const ABRecordRef &person);

// An instant-message text "user (Service)": the first of " (Yahoo)", " (AIM)", " (Jabber)",
// " (MSN)", " (ICQ)" found, without regard to case, names the service and the text before it
// the user name. None when no service is named or the user name is empty.
std::optional<QVariantMap> parseInstantMessage(const QString &text);

// A "yyyy-MM-dd" date, kept at 12:00 UTC like every date-only value; none when it does not parse.
std::optional<QDateTime> parseDate(const QString &text);

// The day QDate::fromString gives for "yyyy-MM-dd" (with `dashes`) or "yyyyMMdd". The usual
// all-digit text is read directly: building Qt's date parser for each value took a tenth of
// a large import.
QDate dayFromText(const QString &text, bool dashes);

// Bytes as text in the character set setting (0 UTF-8, else ISO 8859-1); none when the bytes
// are not valid in it. A UTF-8 byte-order mark at the start is dropped.
std::optional<QString> decodeText(QByteArrayView bytes, int charSet);

}
