#include "ContactCardWriter.h"

#include "ContactLabels.h"

namespace {

constexpr int kLineBytes = 75;

QByteArray escaped(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char(','), QLatin1String("\\,"));
    text.replace(QLatin1Char(';'), QLatin1String("\\;"));
    return text.toUtf8();
}

QByteArray structured(const QStringList &parts)
{
    QByteArray value;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            value += ';';
        value += escaped(parts.at(i));
    }
    return value;
}

QByteArray photoType(const QByteArray &image)
{
    if (image.startsWith("\x89PNG"))
        return "PNG";
    if (image.startsWith("GIF8"))
        return "GIF";
    return "JPEG";
}

class Writer {
public:
    // One property, folded: no line longer than 75 bytes, no UTF-8 character cut in two.
    void line(const QByteArray &name, const QByteArray &value)
    {
        const QByteArray whole = name + ':' + value;
        qsizetype at = 0;
        int room = kLineBytes;
        while (whole.size() - at > room) {
            qsizetype cut = at + room;
            while (cut > at + 1 && (uchar(whole.at(cut)) & 0xC0) == 0x80)
                --cut;
            m_out += whole.mid(at, cut - at) + "\r\n ";
            at = cut;
            room = kLineBytes - 1;
        }
        m_out += whole.mid(at) + "\r\n";
    }
    void text(const char *name, const QString &value)
    {
        if (!value.isEmpty())
            line(name, escaped(value));
    }
    // A labelled value: its types as TYPE=, or a custom label through an "itemN." group.
    void labelled(const QByteArray &property, const QStringList &types, const QString &label, const QByteArray &value)
    {
        if (!label.isEmpty()) {
            const QByteArray group = "item" + QByteArray::number(++m_items) + '.';
            line(group + property, value);
            line(group + "X-ABLabel", escaped(label));
            return;
        }
        QByteArray name = property;
        if (!types.isEmpty())
            name += ";TYPE=" + types.join(QLatin1Char(',')).toUpper().toLatin1();
        line(name, value);
    }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
    int m_items = 0;
};

QString fullName(const ContactCard &card)
{
    const QString name = card.displayName();
    return name.isEmpty() ? card.organization : name;
}

} // namespace

QByteArray ContactCardWriter::write(const ContactCard &card)
{
    Writer out;
    out.line("BEGIN", "VCARD");
    out.line("VERSION", "3.0");
    out.text("UID", card.uid);
    // FN and N are required in 3.0, even when empty.
    out.line("FN", escaped(fullName(card)));
    out.line("N", structured({card.familyName, card.givenName, card.additionalName, QString(), QString()}));
    out.text("NICKNAME", card.nickname);
    if (!card.organization.isEmpty() || !card.department.isEmpty())
        out.line("ORG", card.department.isEmpty() ? escaped(card.organization) : structured({card.organization, card.department}));
    out.text("TITLE", card.title);
    for (const ContactCard::Value &phone : card.phones)
        out.labelled("TEL", phone.types, phone.label, escaped(phone.text));
    for (const ContactCard::Value &email : card.emails)
        out.labelled("EMAIL", email.types, email.label, escaped(email.text));
    for (const ContactCard::Address &address : card.addresses)
        out.labelled("ADR", address.types, address.label,
                     structured({QString(), QString(), address.street, address.city, address.region, address.postcode, address.country}));
    for (const ContactCard::Value &url : card.urls)
        out.labelled("URL", url.types, url.label, escaped(url.text));
    for (const ContactCard::Message &message : card.messages) {
        if (std::optional<QString> property = ContactLabels::propertyForService(message.service))
            out.labelled(property->toLatin1(), message.types, message.label, escaped(message.user));
    }
    if (card.birthday.isValid())
        out.line("BDAY", card.birthday.toString(QStringLiteral("yyyy-MM-dd")).toLatin1());
    out.text("NOTE", card.note);
    if (!card.photo.isEmpty())
        out.line("PHOTO;ENCODING=b;TYPE=" + photoType(card.photo), card.photo.toBase64());
    out.line("END", "VCARD");
    return out.take();
}
