#pragma once

#include "shell/ScreenController.h"
#include "shell/ScreenInterfaces.h"

#include <QString>

class HTTPPostFile;

// The send screen (screen 6): posts one file of the documents folder to the web server of
// another device running this program, at the address and port the user types.
class SendFileViewController : public ScreenController, public FileSenderInterface {
    Q_OBJECT
public:
    explicit SendFileViewController(QObject *parent = nullptr);
    ~SendFileViewController() override;

    QString title() const override;

    void setFile(const QString &name) override;
    QString file() const { return m_file; }
    QString fileText() const;

    QString address() const { return m_address; }
    void setAddress(const QString &text) { m_address = text; }
    QString port() const { return m_port; }
    void setPort(const QString &text) { m_port = text; }

    // Validates the fields and starts the post; the screen is locked until it reports.
    void buttonPressed();
    bool isSending() const { return m_poster != nullptr; }

    // The credential answered to the receiving server's first authentication challenge.
    static constexpr char kUserID[] = "iphone";

Q_SIGNALS:
    // A post ended and its message was shown (tests).
    void sendFinished(bool success, const QString &message);

private:
    void onUploadDone(HTTPPostFile *poster);
    void onUploadError(const QString &message, HTTPPostFile *poster);
    void finish(HTTPPostFile *poster);

    QString m_file;
    QString m_address;
    QString m_port = QStringLiteral("8080");
    HTTPPostFile *m_poster = nullptr;
};
