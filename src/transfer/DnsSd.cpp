#include "DnsSd.h"

#include "AvahiQtPoll.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace {
void log(const QString &line)
{
    DevLog::log(QStringLiteral("DNS-SD ") + line);
}

QString clientError(AvahiClient *client)
{
    return QString::fromUtf8(avahi_strerror(avahi_client_errno(client)));
}
}

// The C callbacks of the Avahi library, each handing over to its object.
struct AvahiCallbacks {
    static void clientChanged(AvahiClient *client, AvahiClientState state, void *self)
    {
        auto *connection = static_cast<AvahiConnection *>(self);
        switch (state) {
        case AVAHI_CLIENT_S_RUNNING:
            connection->daemonRunning(client);
            break;
        case AVAHI_CLIENT_S_REGISTERING:
        case AVAHI_CLIENT_S_COLLISION:
            connection->daemonLost();
            break;
        case AVAHI_CLIENT_FAILURE:
            log(QStringLiteral("daemon lost: %1").arg(clientError(client)));
            connection->daemonLost();
            break;
        case AVAHI_CLIENT_CONNECTING:
            break;
        }
    }

    static void groupChanged(AvahiEntryGroup *group, AvahiEntryGroupState state, void *self)
    {
        auto *publisher = static_cast<DnsSdPublisher *>(self);
        if (state == AVAHI_ENTRY_GROUP_COLLISION) {
            publisher->takeAlternativeName();
            avahi_entry_group_reset(group);
            publisher->addService();
        } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
            log(QStringLiteral("cannot publish %1: %2")
                    .arg(QString::fromUtf8(publisher->m_type), clientError(avahi_entry_group_get_client(group))));
        }
    }

    static void browsed(AvahiServiceBrowser *browser, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char *name, const char *type, const char *domain,
                        AvahiLookupResultFlags, void *self)
    {
        auto *dnsSd = static_cast<DnsSdBrowser *>(self);
        switch (event) {
        case AVAHI_BROWSER_NEW:
            if (AvahiServiceResolver *resolver =
                    avahi_service_resolver_new(avahi_service_browser_get_client(browser), interface, protocol, name,
                                               type, domain, AVAHI_PROTO_INET, AvahiLookupFlags(0), resolved, self))
                dnsSd->m_resolvers.insert(resolver);
            break;
        case AVAHI_BROWSER_REMOVE:
            dnsSd->removeService(QString::fromUtf8(name));
            break;
        case AVAHI_BROWSER_FAILURE:
            log(QStringLiteral("browsing failed: %1").arg(clientError(avahi_service_browser_get_client(browser))));
            Q_EMIT dnsSd->settled();
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
            Q_EMIT dnsSd->settled();
            break;
        case AVAHI_BROWSER_CACHE_EXHAUSTED:
            break;
        }
    }

    static void resolved(AvahiServiceResolver *resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                         const char *name, const char *, const char *, const char *, const AvahiAddress *address,
                         uint16_t port, AvahiStringList *, AvahiLookupResultFlags, void *self)
    {
        auto *dnsSd = static_cast<DnsSdBrowser *>(self);
        dnsSd->m_resolvers.remove(resolver);
        if (event == AVAHI_RESOLVER_FOUND) {
            if (const std::optional<DnsSdService> service = DnsSdBrowser::serviceFrom(name, address, port))
                dnsSd->addService(*service);
        }
        avahi_service_resolver_free(resolver);
    }
};

AvahiConnection::AvahiConnection(QObject *parent) : QObject(parent) {}

AvahiConnection::~AvahiConnection() = default;

bool AvahiConnection::open()
{
    if (m_client)
        return true;
    if (!AppData::sharedInstance().announceOnNetwork())
        return false;
    m_poll = std::make_unique<AvahiQtPoll>();
    int error = 0;
    m_client = avahi_client_new(m_poll->api(), AvahiClientFlags(0), AvahiCallbacks::clientChanged, this, &error);
    if (!m_client) {
        log(QStringLiteral("skipped: %1").arg(QString::fromUtf8(avahi_strerror(error))));
        m_poll.reset();
        return false;
    }
    return true;
}

void AvahiConnection::stop()
{
    if (!m_client)
        return;
    daemonLost();
    avahi_client_free(m_client);
    m_client = nullptr;
    m_poll.reset();
}

DnsSdPublisher::~DnsSdPublisher()
{
    stop();
}

bool DnsSdPublisher::publish(const QString &name, const QByteArray &type, quint16 port)
{
    stop();
    m_name = name.toUtf8();
    m_type = type;
    m_port = port;
    // The group is made as soon as the daemon reports running, possibly within open().
    return open();
}

void DnsSdPublisher::daemonRunning(AvahiClient *client)
{
    if (m_group)
        return;
    m_group = avahi_entry_group_new(client, AvahiCallbacks::groupChanged, this);
    if (!m_group) {
        log(QStringLiteral("cannot publish %1: %2").arg(QString::fromUtf8(m_type), clientError(client)));
        return;
    }
    addService();
}

void DnsSdPublisher::addService()
{
    int result = avahi_entry_group_add_service(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                               m_name.constData(), m_type.constData(), nullptr, nullptr, m_port,
                                               nullptr);
    if (result == AVAHI_ERR_COLLISION) {
        takeAlternativeName();
        addService();
        return;
    }
    if (result >= 0)
        result = avahi_entry_group_commit(m_group);
    if (result < 0)
        log(QStringLiteral("cannot publish %1: %2").arg(QString::fromUtf8(m_type), QString::fromUtf8(avahi_strerror(result))));
}

void DnsSdPublisher::takeAlternativeName()
{
    char *alternative = avahi_alternative_service_name(m_name.constData());
    log(QStringLiteral("the name %1 is taken, now %2").arg(QString::fromUtf8(m_name), QString::fromUtf8(alternative)));
    m_name = alternative;
    avahi_free(alternative);
}

void DnsSdPublisher::daemonLost()
{
    if (m_group)
        avahi_entry_group_free(m_group);
    m_group = nullptr;
}

DnsSdBrowser::~DnsSdBrowser()
{
    stop();
}

bool DnsSdBrowser::browse(const QByteArray &type)
{
    stop();
    m_type = type;
    return open();
}

void DnsSdBrowser::daemonRunning(AvahiClient *client)
{
    if (m_browser)
        return;
    // IPv4 only: an IPv6 link-local address is of no use without its interface.
    m_browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, m_type.constData(), nullptr,
                                          AvahiLookupFlags(0), AvahiCallbacks::browsed, this);
    if (!m_browser) {
        log(QStringLiteral("cannot browse %1: %2").arg(QString::fromUtf8(m_type), clientError(client)));
        Q_EMIT settled();
    }
}

void DnsSdBrowser::daemonLost()
{
    for (AvahiServiceResolver *resolver : std::as_const(m_resolvers))
        avahi_service_resolver_free(resolver);
    m_resolvers.clear();
    if (m_browser)
        avahi_service_browser_free(m_browser);
    m_browser = nullptr;
    if (!m_services.isEmpty()) {
        m_services.clear();
        Q_EMIT servicesChanged();
    }
}

std::optional<DnsSdService> DnsSdBrowser::serviceFrom(const char *name, const AvahiAddress *address, quint16 port)
{
    if (!name || !address || address->proto != AVAHI_PROTO_INET || port == 0)
        return std::nullopt;
    char text[AVAHI_ADDRESS_STR_MAX];
    avahi_address_snprint(text, sizeof text, address);
    return DnsSdService{QString::fromUtf8(name), QString::fromLatin1(text), port};
}

void DnsSdBrowser::addService(const DnsSdService &service)
{
    // One entry per name: the same service is found once for every interface it is seen on.
    for (DnsSdService &known : m_services) {
        if (known.name == service.name) {
            if (known == service)
                return;
            known = service;
            Q_EMIT servicesChanged();
            return;
        }
    }
    m_services.append(service);
    Q_EMIT servicesChanged();
}

void DnsSdBrowser::removeService(const QString &name)
{
    if (m_services.removeIf([&name](const DnsSdService &service) { return service.name == name; }) > 0)
        Q_EMIT servicesChanged();
}
