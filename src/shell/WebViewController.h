#pragma once

#include "ScreenController.h"

#include <QString>
#include <QUrl>

// The information page (screen 3): the help page that ships with the program, with its
// placeholders filled. Links open in the user's browser.
class WebViewController : public ScreenController {
    Q_OBJECT
public:
    explicit WebViewController(QObject *parent = nullptr);

    QString title() const override;

    // Loads the page (the shipped one by default); on failure the page becomes the error page.
    void loadPage(const QString &resourceFile = QStringLiteral(":/help.html"));
    QString html() const { return m_html; }
    bool failed() const { return m_failed; }
    // The folder the page's images and links resolve against.
    static QString resourceFolder();

    // A link the user followed: opened in the browser, never inside the page.
    void linkActivated(const QUrl &url);

    // The page for a failed load.
    static QString errorPage(const QString &description);

private:
    QString m_html;
    bool m_failed = false;
};
