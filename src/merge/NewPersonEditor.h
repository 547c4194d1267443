#pragma once

#include "addressbook/ABContact.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The editor of a new person that is not yet in the address book: shows every field for
// review, lets each be changed, and adds the person on save. Any screen may open one: it
// creates the editor, asks its view to show it, and learns from finished() how it ended.
class NewPersonEditor : public QObject {
    Q_OBJECT
public:
    // One entry of a multi-value family: its label as the user reads it ("home" …, or the
    // user's own) and its parts, one per key of fieldKeys().
    struct Entry {
        QString label;
        QStringList parts;
        bool operator==(const Entry &) const = default;
    };

    explicit NewPersonEditor(ABContactRef person, QObject *parent = nullptr);

    const ABContactRef &person() const { return m_person; }
    QString title() const;

    // The single texts (names, organisation, note …), in the order they are shown.
    static QList<int> textProperties();
    // The multi-value families, in the order they are shown.
    static QList<int> multiValueProperties();
    // The user-facing name of a property or family.
    static QString fieldName(int property);
    // The parts of a family's entries: {"value"} for texts and dates (yyyy-MM-dd), the
    // dictionary keys for addresses, instant messages and social profiles.
    static QStringList fieldKeys(int property);

    QString text(int property) const;
    bool setText(int property, const QString &text);
    QDate birthday() const;
    bool setBirthday(const QDate &date);
    QByteArray photo() const;
    bool setPhoto(const QByteArray &imageData);
    QList<Entry> entries(int property) const;
    // Entries whose parts are all empty are dropped; a date that does not read fails.
    bool setEntries(int property, const QList<Entry> &entries, QString *error = nullptr);

    // Adds the person to the address book and saves; on failure the message and false (the
    // editor stays open). Success ends the editor with finished(true).
    bool save(QString *error = nullptr);
    // Ends the editor with finished(false); the address book is untouched.
    void cancel();
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void finished(bool saved);

private:
    ABContactRef m_person;
    bool m_finished = false;
};
