#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class AvahiQtPoll;
struct AvahiClient;
struct AvahiEntryGroup;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;
struct AvahiAddress;
struct AvahiCallbacks;

// A service found on the local network.
struct DnsSdService {
    QString name;
    QString host; // an IPv4 address
    quint16 port = 0;

    // "host:port", as the peer picker connects to it.
    QString address() const { return host + QLatin1Char(':') + QString::number(port); }
    bool operator==(const DnsSdService &) const = default;
};

// DNS-SD goes through the Avahi daemon, and only when the user switched on "Announce on the
// local network": with the setting off nothing is created at all, and without a daemon (or
// without the system bus) it is skipped quietly with a log line.
class AvahiConnection : public QObject {
    Q_OBJECT
public:
    explicit AvahiConnection(QObject *parent = nullptr);
    // Derived classes stop() in theirs: their objects go before the connection.
    ~AvahiConnection() override;

    bool isOpen() const { return m_client != nullptr; }
    // Withdraws what was published, stops browsing and leaves the daemon.
    void stop();

protected:
    // Connects to the daemon when allowed; false when the setting is off or no daemon answers.
    bool open();
    // The daemon runs (again): make the objects of this connection.
    virtual void daemonRunning(AvahiClient *client) = 0;
    // The daemon went away or renames the host: free every object made for it.
    virtual void daemonLost() = 0;

private:
    friend struct AvahiCallbacks;

    std::unique_ptr<AvahiQtPoll> m_poll;
    AvahiClient *m_client = nullptr;
};

// Publishes one service of this program (the web server, the receiving screen).
class DnsSdPublisher : public AvahiConnection {
    Q_OBJECT
public:
    using AvahiConnection::AvahiConnection;
    ~DnsSdPublisher() override;

    // Publishes `name` as `type` ("_http._tcp") on `port`; false when it is not allowed or
    // there is no daemon. A name taken by another device becomes "name #2" and so on.
    bool publish(const QString &name, const QByteArray &type, quint16 port);

protected:
    void daemonRunning(AvahiClient *client) override;
    void daemonLost() override;

private:
    friend struct AvahiCallbacks;
    void addService();
    void takeAlternativeName();

    QByteArray m_name;
    QByteArray m_type;
    quint16 m_port = 0;
    AvahiEntryGroup *m_group = nullptr;
};

// Lists the services of one type on the local network as they come and go.
class DnsSdBrowser : public AvahiConnection {
    Q_OBJECT
public:
    using AvahiConnection::AvahiConnection;
    ~DnsSdBrowser() override;

    // Starts looking for `type` ("_vennaro._tcp"); false when not allowed or no daemon.
    bool browse(const QByteArray &type);
    const QList<DnsSdService> &services() const { return m_services; }

    // The service that a resolved answer describes; none when the address is not IPv4.
    static std::optional<DnsSdService> serviceFrom(const char *name, const AvahiAddress *address, quint16 port);

Q_SIGNALS:
    void servicesChanged();
    // The daemon told all it knows for now (or cannot browse).
    void settled();

protected:
    void daemonRunning(AvahiClient *client) override;
    void daemonLost() override;

private:
    friend struct AvahiCallbacks;
    void addService(const DnsSdService &service);
    void removeService(const QString &name);

    QByteArray m_type;
    AvahiServiceBrowser *m_browser = nullptr;
    QSet<AvahiServiceResolver *> m_resolvers;
    QList<DnsSdService> m_services;
};
