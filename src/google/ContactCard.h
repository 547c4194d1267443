#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// One contact of an online account as the exchange sees it: what a vCard carries of the
// families the exchange moves, before it becomes a person (import) or after it was made from
// one (export). Types are the vCard TYPE values in lower case ("work", "fax"); `label` is a
// custom label (X-ABLabel of the value's group) and wins over the types when set.
struct ContactCard {
    struct Value {
        QString text;
        QStringList types;
        QString label;
    };
    struct Address {
        QString street, city, region, postcode, country;
        QStringList types;
        QString label;
    };
    struct Message {
        QString service; // "AIM", "Yahoo", "Jabber", "MSN", "ICQ", or what the card named otherwise
        QString user;
        QStringList types;
        QString label;
    };

    QString uid;
    QString fullName;
    QString givenName, additionalName, familyName;
    QString nickname;
    QString organization, department, title;
    QString note;
    QDate birthday;
    QList<Value> phones, emails, urls;
    QList<Address> addresses;
    QList<Message> messages;
    QByteArray photo; // the image bytes as the card holds them
    QUrl photoUrl;    // where the image is when the card gives its web address instead

    // The name a list shows: the full name, else the name parts.
    QString displayName() const;
};
