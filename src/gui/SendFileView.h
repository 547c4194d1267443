#pragma once

#include "ScreenView.h"

class QLabel;
class QLineEdit;
class QPushButton;
class SendFileViewController;

// The send screen: the file's name, the address and port fields, the Send button and the note.
class SendFileView : public ScreenView {
    Q_OBJECT
public:
    explicit SendFileView(SendFileViewController *controller);

protected:
    void refresh() override;

private:
    SendFileViewController *m_send;
    QLabel *m_file;
    QLineEdit *m_address;
    QLineEdit *m_port;
    QPushButton *m_button;
};
