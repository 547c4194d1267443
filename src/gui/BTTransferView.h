#pragma once

#include "ScreenView.h"

class BTTransferScreen;
class QLabel;
class QProgressBar;

// Both peer transfer screens: an icon on a panel whose colour says whether a peer is
// connected, the file line, the status, speed, time and block lines, the progress bar, and
// the peer's state at the bottom.
class BTTransferView : public ScreenView {
    Q_OBJECT
public:
    explicit BTTransferView(BTTransferScreen *controller);

protected:
    void refresh() override;

private:
    BTTransferScreen *m_screen;
    QWidget *m_panel;
    QLabel *m_labelFile;
    QLabel *m_labelMSG1;
    QLabel *m_labelMSG2;
    QLabel *m_labelMSG3;
    QLabel *m_labelMSG4;
    QProgressBar *m_progressBar;
    QLabel *m_labelStatus;
};
