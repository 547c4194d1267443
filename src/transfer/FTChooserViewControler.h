#pragma once

#include "shell/ScreenController.h"

#include <QList>
#include <QString>

// The transfer chooser (screen 15): the ways to move files in or out of the documents folder,
// grouped in sections. A row checks what it needs (a network address, a mail composer, a
// contact file to upload) and opens the server screen, the peer receiving screen or the file
// list in the mode that says what the chosen file is for.
class FTChooserViewControler : public ScreenController {
    Q_OBJECT
public:
    enum Tag {
        TagWebServer = 1,
        TagBluetoothServer = 2,
        TagSendWeb = 3,
        TagSendEmail = 4,
        TagSendBluetooth = 5,
        TagDropboxUpload = 6,
        TagDropboxDownload = 7,
        TagGoogleDownload = 10,
        TagGoogleUpload = 11,
    };
    struct Row {
        int tag;
        QString text;
    };
    struct Section {
        QString header;
        QList<Row> rows;
    };

    explicit FTChooserViewControler(QObject *parent = nullptr);

    QString title() const override;
    // Rebuilds the sections from the settings and clears the row selection.
    void viewWillAppear() override;

    const QList<Section> &sections() const { return m_sections; }
    void selectRow(int tag);

    // Whether the documents folder holds a contact file (LDIF, VNBIN, VCF or CSV; not a folder).
    static bool canUpload();
    // Continues a Dropbox choice once the account is linked: the file list for the upload or
    // the download that dropbox.flag remembers.
    void handleDropBox();

private:
    void buildSections();
    void openFileList(int mode);
    void dropboxChoice(int tag);
    bool requireNetwork();

    QList<Section> m_sections;
};
