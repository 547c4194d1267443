#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// The desktop's mail composer, reached through xdg-email: a message with a subject, a body and
// one attached file is handed over; the user writes and sends it there. The program learns
// only whether the hand-over worked, never whether the message went out.
namespace MailComposer {
// Whether xdg-email is on the PATH.
bool isAvailable();
// The arguments given to xdg-email.
QStringList arguments(const QString &attachment, const QString &subject, const QString &body);
// Starts the hand-over without blocking; `done` runs on the calling thread with true when
// xdg-email ended successfully, false when it could not be started or failed. When `context`
// is gone by then, done is not called.
void compose(const QString &attachment, const QString &subject, const QString &body, QObject *context,
             std::function<void(bool handedOver)> done);
// The same, waited for (command line).
bool composeAndWait(const QString &attachment, const QString &subject, const QString &body);
}
