#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The exchange's label mapping between the address book's labels and vCard TYPE values, one
// family at a time. Standard labels travel as types (work fax as "work,fax", mobile as
// "cell"); "main" and every other label of the user's travel as a custom label (X-ABLabel);
// a value without a label, or labelled other, travels without a type.
namespace ContactLabels {

enum class Family { Phone, Email, Message, Url, Address };

struct Outgoing {
    QStringList types;
    QString label; // custom label text, empty when the types say it all
};

// The vCard side of an address-book label (a stored label, a user's text, or none).
Outgoing toCard(Family family, const std::optional<QString> &label);
// The address-book label of a card value: its custom label when it has one, else the label
// its types stand for, else other.
QString fromCard(Family family, const QStringList &types, const QString &label);

// Instant messages: the services exchanged and their vCard property names.
// "AIM" <-> "X-AIM" …; none for a service that is not exchanged (Skype, Google Talk …).
std::optional<QString> propertyForService(const QString &service);
std::optional<QString> serviceForProperty(const QString &property);
// The service of an IMPP value's URI scheme ("xmpp" -> "Jabber"), none for other schemes.
std::optional<QString> serviceForScheme(const QString &scheme);
// A service name as given by X-SERVICE-TYPE ("jabber", "Yahoo!"), none when not exchanged.
std::optional<QString> serviceNamed(const QString &name);

}
