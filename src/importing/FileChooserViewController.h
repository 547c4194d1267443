#pragma once

#include "CSVHeaderDelegate.h"
#include "formats/common/ProgressTarget.h"
#include "shell/ScreenController.h"
#include "shell/ScreenInterfaces.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class CSVimport;
class CloudFileList;
struct RemoteFile;

// The list of files in the documents folder. In mode 0 it is the import screen: it shows
// which files can be imported, asks, runs the right reader on a worker thread with a progress
// sheet and reports the result. The other modes list the same files for sending and cloud
// transfers and hand the chosen file to their screens.
class FileChooserViewController : public ScreenController, public FileChooserInterface, public CSVHeaderDelegate {
    Q_OBJECT
public:
    enum Mode {
        ImportMode = 0,
        SendWebMode = 1,
        SendEmailMode = 2,
        SendBluetoothMode = 3,
        DropboxUploadMode = 4,
        DropboxDownloadMode = 5,
        GoogleUploadMode = 8,
        GoogleDownloadMode = 9,
        SkyDriveUploadMode = 10,
        SkyDriveDownloadMode = 11,
    };

    struct FileRow {
        QString name;
        QString details;  // empty for folders
        int kind = 0;     // picks the icon
        QString icon;     // "f_vcf.png" …
        bool importable = false;
        bool isFolder = false;
    };

    FileChooserViewController();
    ~FileChooserViewController() override;
    QString title() const override;

    // Lists the documents folder for a mode and warns when there is nothing to offer.
    void loadFiles(int mode) override;
    int mode() const { return m_mode; }
    const QList<FileRow> &rows() const { return m_rows; }
    QString sectionHeader() const;
    QString footer() const;
    bool rightButtonVisible() const;
    bool rightButtonEnabled() const { return m_rightButtonEnabled; }

    // A tap on a row (ignored while a file is being imported).
    void selectRow(int index);
    // Imports a file of the documents folder by name, dispatching by the end of the name
    // (ImportFormats); a CSV file opens the column mapping screen. Ignored while an import runs.
    void importFile(const QString &name) override;
    // Reads a CSV file and opens the column mapping screen.
    void importCSVFile(const QString &name);
    // Called by the mapping screen when the user starts the CSV import.
    void beginImportCSV() override;
    // Swipe to delete: removes the file and its row; a folder and everything in it only after
    // the user said yes.
    void deleteRow(int index);

    // The file's details line: local modification time and size.
    static QString detailsLine(const QDateTime &modified, qint64 size);
    // Kind, icon and importability by the name's extension (any letter case); false for files
    // that are not listed at all.
    static bool describe(const QString &name, bool isFolder, FileRow &row);

Q_SIGNALS:
    // An import ended and its message was shown (tests, views).
    void importFinished(int result);
    // A file was chosen in one of the sending or cloud modes.
    void fileChosen(int mode, const QString &path);
    // The mail composer was handed the chosen file (true) or could not be (mode 2).
    void mailFinished(bool handedOver);

private:
    // Mode 2: the chosen file as the attachment of a new message in the desktop's composer.
    void mailFile(const QString &name);
    void startImport(const QString &name, bool withProgressBar, std::function<int(ProgressTarget *)> reader);
    void importDone(int result);
    // The cloud modes: the service's half of the list for modes 4, 5, 8 and 9.
    void startCloud();
    void showRemoteFiles(const QList<RemoteFile> &files);
    void removeRowAfterTransfer(int index);
    // Modes 1 and 3: opens the upload or the peer sending screen with the chosen file.
    void openSender(int screenNumber, const QString &name);
    bool m_importing = false;
    int m_mode = ImportMode;
    QList<FileRow> m_rows;
    bool m_rightButtonEnabled = false;
    // The importer of the CSV file being mapped; replaced by the next CSV file.
    std::shared_ptr<CSVimport> m_csvImport;
    CloudFileList *m_cloud = nullptr; // in the cloud modes only
};
