#pragma once

#include "addressbook/ABRecord.h"
#include "formats/common/LocalDays.h"

#include <QByteArray>
#include <QDateTime>

#include <cstdint>

// One Windows Contact XML document for one person, every line ended by CR LF.
class WinContactDocument {
public:
    WinContactDocument(uint32_t mask, int charSet) : m_mask(mask), m_charSet(charSet) {}

    // `now` (UTC) fills c:CreationDate.
    QByteArray compose(const ABRecord &person, const QDateTime &now) const;

    // A fresh random identifier: 36 upper-case hexadecimal digits and hyphens (8-4-4-4-12).
    static QByteArray getGUIDString();
    // "&" -> "&amp;", "<" -> "&lt;", ">" -> "&gt;"; control characters that XML 1.0 cannot
    // carry (all below 0x20 but TAB, LF and CR) are dropped.
    static QString escaped(const QString &text);

private:
    void appendEmails(QByteArray &xml, const ABRecord &person) const;
    void appendNames(QByteArray &xml, const ABRecord &person) const;
    void appendAddresses(QByteArray &xml, const ABRecord &person) const;
    void appendPhones(QByteArray &xml, const ABRecord &person) const;
    void appendUrls(QByteArray &xml, const ABRecord &person) const;
    void appendPosition(QByteArray &xml, const ABRecord &person) const;
    void appendBirthday(QByteArray &xml, const ABRecord &person) const;
    void appendPhoto(QByteArray &xml, const ABRecord &person) const;
    // "<c:tag>value</c:tag>" with the escaped, converted text; nothing when it is absent.
    void appendText(QByteArray &xml, const char *tag, const QString &text) const;
    void appendPlain(QByteArray &xml, const char *tag, const QString &text) const;
    bool has(uint32_t bit) const { return (m_mask & bit) != 0; }

    uint32_t m_mask;
    int m_charSet;
    LocalDays m_days;
};
