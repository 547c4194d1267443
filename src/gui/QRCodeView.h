#pragma once

#include "ScreenView.h"

class QRCodeViewController;
class QButtonGroup;
class QLabel;
class QPushButton;

// The QR screen: the contact's name, the size segments with their label (until the code is
// made), the "Generate QR Code" / "Save" button, the status line (red for errors), the image
// in an area 320 wide, and the notice.
class QRCodeView : public ScreenView {
    Q_OBJECT
public:
    explicit QRCodeView(QRCodeViewController *controller);

protected:
    void refresh() override;

private:
    QRCodeViewController *m_qr;
    QLabel *m_name;
    QWidget *m_sizeRow;
    QButtonGroup *m_sizes;
    QLabel *m_sizeText;
    QPushButton *m_button;
    QLabel *m_status;
    QLabel *m_image;
    QLabel *m_notice;
};
