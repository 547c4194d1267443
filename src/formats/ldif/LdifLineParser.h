#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// One logical LDIF line split into its attribute name and value bytes. A pure function over
// bytes: it knows nothing of files or contacts.
struct LdifLine {
    QByteArray name;  // the text before the first colon, without leading or trailing blanks
    QByteArray value; // after the colon(s) and the blanks that follow; base64 already decoded
    bool wasBase64 = false;
};

// Parses "name: value" or "name:: base64". None (and the developer log line
// "ldif_parse ldif_parse_line ERROR") for a line without a colon or with a base64 value that
// does not decode. Bytes of value 1 are dropped from the value.
std::optional<LdifLine> ldif_parse_line(QByteArrayView line);

// Standard base64 with "=" fill, read in groups of four. None for a character outside the
// alphabet or a last group cut short. Blanks at the end are allowed.
std::optional<QByteArray> ldifDecodeBase64(QByteArrayView text);
