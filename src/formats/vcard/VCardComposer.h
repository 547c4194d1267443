#pragma once

#include "addressbook/ABAddressBook.h"
#include "formats/common/GroupNames.h"
#include "formats/common/LocalDays.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <array>
#include <cstdint>

// The program's own vCard 2.1 card for one person, line by line, every line ended by CR LF.
class VCardComposer {
public:
    // `groups` names the groups that hold each person (none when groups are not written).
    VCardComposer(uint32_t mask, int charSet, GroupMemberships groups = {});

    // From "BEGIN:VCARD" to "END:VCARD" and its CR LF; `now` (UTC) fills the REV line.
    QByteArray compose(const ABRecord &person, const QDateTime &now) const;

    // The PHOTO lines for JPEG bytes: 42 Base64 characters after the colon, then lines of one
    // blank and up to 73 characters, then one empty line.
    static QByteArray photoLines(const QByteArray &jpeg);

    // "http://" + value unless the value already begins with a scheme ("https://…").
    static QByteArray urlValue(const QByteArray &value);

private:
    void appendNames(QByteArray &card, const ABRecord &person) const;
    void appendEmails(QByteArray &card, const ABRecord &person) const;
    void appendAddresses(QByteArray &card, const ABRecord &person) const;
    void appendPhones(QByteArray &card, const ABRecord &person) const;
    void appendUrls(QByteArray &card, const ABRecord &person) const;
    void appendInstantMessages(QByteArray &card, const ABRecord &person) const;
    void appendNote(QByteArray &card, const ABRecord &person) const;
    void appendPhoto(QByteArray &card, const ABRecord &person) const;
    void appendGroups(QByteArray &card, const ABRecord &person) const;
    bool has(uint32_t bit) const { return (m_mask & bit) != 0; }
    // "REV:yyyymmddThhmmssZ" for `now`.
    const QByteArray &revisionLine(const QDateTime &now) const;

    uint32_t m_mask;
    int m_charSet;
    QByteArray m_charsetName;
    // The heads of the name lines in the run's character set, made once.
    QByteArray m_nameHead, m_fullNameHead, m_nicknameHead, m_titleHead;
    std::array<QByteArray, 6> m_addressHeads;
    GroupMemberships m_groups;
    LocalDays m_days;
    // The last REV line made, and the second it is for.
    mutable QByteArray m_revision;
    mutable qint64 m_revisionSecond = 0;
    // Each person's entries are read into these, reused from card to card.
    mutable ABRecordCodec::EntryTexts m_textEntry;
    mutable ABRecordCodec::EntryTexts m_addressEntry;
    mutable ABRecordCodec::EntryTexts m_messageEntry;
};
