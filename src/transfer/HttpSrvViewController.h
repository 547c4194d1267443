#pragma once

#include "shell/ScreenController.h"

#include <QString>
#include <QStringList>

class Announcer;
class HTTPServer;

// The web server screen (screen 4): runs the program's web server on the documents folder
// while it is shown. The user sets the port and starts or stops the server; the screen shows
// the address(es) to browse to and the last ten requests. Leaving the screen stops the server.
class HttpSrvViewController : public ScreenController {
    Q_OBJECT
public:
    explicit HttpSrvViewController(QObject *parent = nullptr);
    ~HttpSrvViewController() override;

    QString title() const override;
    void viewWillAppear() override;
    void viewDidDisappear() override;

    // The port field: only single digits are typed into it, and deletions made.
    QString portText() const { return m_portText; }
    // Whether the field may change from `before` to `after`: a deletion, or one digit typed
    // (over a selection or not). Anything else, a paste of several characters included, is refused.
    static bool acceptsEdit(const QString &before, const QString &after);
    // Takes the edit when acceptsEdit allows it; answers whether it did.
    bool editPort(const QString &after);

    // Start when stopped, stop when running.
    void buttonAction();
    bool isServerUp() const { return _bServerUP; }
    QString buttonText() const;

    // The status line: running (type 0, drawn in white) or stopped and failed (type 1, red).
    enum StatusType { Running = 0, Stopped = 1 };
    QString statusText() const { return m_status; }
    int statusType() const { return m_statusType; }

    // The trace panel: shown from the first request on, with the last ten lines.
    bool traceShown() const { return m_traceShown; }
    QString traceText() const;
    void httpRequest(const QString &line);
    static constexpr int kTraceLines = 10;

    // The server (tests look at it).
    HTTPServer *server() const { return _httpServer; }
    Announcer *announcer() const { return m_announcer; }

private:
    void start();
    void stop();
    void setStatus(const QString &text, StatusType type);

    HTTPServer *_httpServer;
    Announcer *m_announcer;
    QString m_portText = QStringLiteral("8080");
    QString m_status;
    int m_statusType = Stopped;
    bool m_traceShown = false;
    QStringList _arrayTrace;
    bool _bServerUP = false;
};
