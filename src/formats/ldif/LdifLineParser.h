#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// One logical LDIF line split into its attribute name and value bytes. A pure function over
// bytes: it knows nothing of files or contacts. The name, and a value that needs no decoding,
// are parts of the parsed line, not copies: the line must outlive its LdifLine.
struct LdifLine {
    QByteArrayView name; // the text before the first colon, without leading or trailing blanks
    bool wasBase64 = false;
    // After the colon(s) and the blanks that follow; base64 already decoded.
    QByteArrayView value() const { return m_decoded.isNull() ? m_text : QByteArrayView(m_decoded); }

private:
    friend std::optional<LdifLine> ldif_parse_line(QByteArrayView line);
    QByteArrayView m_text; // the value as the line has it
    QByteArray m_decoded;  // the value when it is not the line's bytes as they stand
};

// Parses "name: value" or "name:: base64". None (and the developer log line
// "ldif_parse ldif_parse_line ERROR") for a line without a colon or with a base64 value that
// does not decode. Bytes of value 1 are dropped from the value.
std::optional<LdifLine> ldif_parse_line(QByteArrayView line);

// Standard base64 with "=" fill, read in groups of four. None for a character outside the
// alphabet or a last group cut short. Blanks at the end are allowed.
std::optional<QByteArray> ldifDecodeBase64(QByteArrayView text);
