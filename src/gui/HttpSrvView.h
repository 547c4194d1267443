#pragma once

#include "ScreenView.h"

class HttpSrvViewController;
class QLabel;
class QLineEdit;
class QPushButton;

// The web server screen: the port field, the start/stop button, the status line (white while
// running, red when stopped, on a dark strip so both read), the note and the trace panel.
class HttpSrvView : public ScreenView {
    Q_OBJECT
public:
    explicit HttpSrvView(HttpSrvViewController *controller);

protected:
    void refresh() override;

private:
    void portEdited(const QString &text);

    HttpSrvViewController *m_server;
    QLineEdit *m_port;
    QPushButton *m_button;
    QLabel *m_status;
    QLabel *m_trace;
};
