#include "FileChooserViewController.h"

#include "CSVHeaderViewController.h"
#include "ImportFormats.h"
#include "cloud/CloudFileList.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/SheetProgress.h"
#include "formats/csv/CSVimport.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "platform/MailComposer.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

struct Extension {
    const char *suffix;
    int kind;
    const char *icon;
    bool importable;
};

const Extension kExtensions[] = {
    {"ldif", 6, "f_ldif.png", true}, {"vnbin", 1, "f_bin.png", true}, {"vcf", 11, "f_vcf.png", true},
    {"csv", 7, "f_csv.png", true},   {"txt", 4, "f_txt.png", false},  {"html", 2, "f_html.png", false},
    {"htm", 2, "f_html.png", false}, {"jpg", 3, "f_file.png", false}, {"dat", 1, "f_bin.png", false},
    {"zip", 5, "f_zip.png", false},
};

// The service of a cloud mode with Dropbox and Google Drive clients; false for every other mode.
bool cloudService(int mode, CloudAccounts::Service *service)
{
    switch (mode) {
    case FileChooserViewController::DropboxUploadMode:
    case FileChooserViewController::DropboxDownloadMode: *service = CloudAccounts::Dropbox; return true;
    case FileChooserViewController::GoogleUploadMode:
    case FileChooserViewController::GoogleDownloadMode: *service = CloudAccounts::Drive; return true;
    default: return false;
    }
}

bool isCloudListMode(int mode)
{
    return mode == FileChooserViewController::DropboxDownloadMode || mode == FileChooserViewController::GoogleDownloadMode
           || mode == FileChooserViewController::SkyDriveDownloadMode;
}

} // namespace

FileChooserViewController::FileChooserViewController() : ScreenController(FileChooserScreen) {}

FileChooserViewController::~FileChooserViewController() = default;

QString FileChooserViewController::title() const
{
    return L("KChooseFile");
}

QString FileChooserViewController::sectionHeader() const
{
    switch (m_mode) {
    case ImportMode: return L("KImport");
    case SendWebMode: return L("KSendWEB");
    case SendEmailMode: return L("KSendEmail");
    case SendBluetoothMode: return L("KSendBluetooth");
    case DropboxUploadMode: return L("KDropboxUpload");
    case DropboxDownloadMode: return L("KDropboxDownload");
    case GoogleUploadMode: return L("KGoogleUpload");
    case GoogleDownloadMode: return L("KGoogleDownload");
    case SkyDriveUploadMode: return L("KSkyDriveUpload");
    case SkyDriveDownloadMode: return L("KSkyDriveDownload");
    default: return QString();
    }
}

QString FileChooserViewController::footer() const
{
    return m_mode == ImportMode ? L("KFormatNote") : QString();
}

bool FileChooserViewController::rightButtonVisible() const
{
    return m_mode != DropboxUploadMode && m_mode != GoogleUploadMode && m_mode != SkyDriveUploadMode;
}

QString FileChooserViewController::detailsLine(const QDateTime &modified, qint64 size)
{
    const QDateTime local = modified.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const QString when = QString::asprintf("%d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    const qint32 s = qint32(size); // sizes are shown as the signed 32-bit number they were taken as
    if (s == -1)
        return when;
    if (s < 1024)
        return when + QString::asprintf(" (%d bytes)", s);
    if (s <= 1048575)
        return when + QString::asprintf(" (%.2f KB)", s / 1024.0);
    if (s <= 1073741823)
        return when + QString::asprintf(" (%.2f MB)", s / 1048576.0);
    return when + QString::asprintf(" (%.2f GB)", s / 1073741824.0);
}

bool FileChooserViewController::describe(const QString &name, bool isFolder, FileRow &row)
{
    row = FileRow{name, QString(), 0, QStringLiteral("f_file.png"), false, isFolder};
    if (isFolder) {
        row.kind = 8;
        row.icon = QStringLiteral("f_folder.png");
        return true;
    }
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("plist") || suffix == QLatin1String("log") || suffix == QLatin1String("flag"))
        return false;
    for (const Extension &extension : kExtensions) {
        if (suffix == QLatin1String(extension.suffix)) {
            row.kind = extension.kind;
            row.icon = QString::fromLatin1(extension.icon);
            row.importable = extension.importable;
            break;
        }
    }
    return true;
}

void FileChooserViewController::loadFiles(int mode)
{
    m_mode = mode;
    m_rows.clear();
    if (!isCloudListMode(mode)) {
        const QDir folder(Documents::getDocumentsDir());
        const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            FileRow row;
            if (!describe(entry.fileName(), entry.isDir(), row))
                continue;
            if (!row.isFolder)
                row.details = detailsLine(entry.lastModified(), entry.size());
            m_rows.append(row);
        }
    }
    Q_EMIT changed();
    startCloud();
    if (isCloudListMode(mode)) {
        m_rightButtonEnabled = false;
        return;
    }
    m_rightButtonEnabled = !m_rows.isEmpty();
    if (m_rows.isEmpty()) {
        showWarning(L("KNoFilesFound"));
        return;
    }
    if (mode == ImportMode && std::none_of(m_rows.begin(), m_rows.end(), [](const FileRow &row) { return row.importable; }))
        showWarning(L("KNoValidFormatFiles"));
}

void FileChooserViewController::selectRow(int index)
{
    if (m_importing || index < 0 || index >= m_rows.size())
        return;
    const FileRow row = m_rows[index];
    if (m_cloud) {
        if (isCloudListMode(m_mode))
            m_cloud->download(index);
        else if (!row.isFolder)
            m_cloud->upload(index, Documents::filePath(row.name));
        return;
    }
    if (m_mode != ImportMode) {
        if (row.isFolder)
            return;
        Q_EMIT fileChosen(m_mode, Documents::filePath(row.name));
        if (m_mode == SendWebMode)
            openSender(SendFileScreen, row.name);
        else if (m_mode == SendEmailMode)
            mailFile(row.name);
        else if (m_mode == SendBluetoothMode)
            openSender(BTcliScreen, row.name);
        return;
    }
    if (!row.importable) {
        showWarning(L("KUnsuportedFileFormat"));
        return;
    }
    // A CSV file is not asked for: its mapping screen comes first.
    if (!AppData::sharedInstance().confirmImport() || ImportFormats::kindOf(row.name) == ImportFormats::Kind::Csv) {
        importFile(row.name);
        return;
    }
    UiHost *host = UiHost::current();
    if (host && host->ask(QStringLiteral("Vennaro"), L("KConfirmImportFile"), {L("KNo"), L("KYes")}, 0) == 1)
        QTimer::singleShot(100, this, [this, name = row.name] { importFile(name); });
}

void FileChooserViewController::mailFile(const QString &name)
{
    if (!MailComposer::isAvailable()) {
        showWarning(L("KEmailNotConfigured"));
        return;
    }
    // The composer tells nothing of what the user then does with the message: the alert
    // says only whether it was handed over.
    MailComposer::compose(Documents::filePath(name), L("KAdressBookContacts"), L("KSeeAttachment"), this,
                          [this](bool handedOver) {
                              showInfo(handedOver ? L("KemailNotSent") : L("KemailFailed"));
                              Q_EMIT mailFinished(handedOver);
                          });
}

void FileChooserViewController::openSender(int screenNumber, const QString &name)
{
    ScreenController *screen = ScreenRegistry::getViewController(screenNumber);
    auto *sender = dynamic_cast<FileSenderInterface *>(screen);
    if (!sender) {
        DevLog::log(QStringLiteral("screen %1 sends no files").arg(screenNumber));
        return;
    }
    sender->setFile(name);
    pushChild(screen);
}

void FileChooserViewController::importFile(const QString &name)
{
    // One import at a time: a second one would unlock the window under the first.
    if (m_importing) {
        DevLog::log(QStringLiteral("importFile %1: an import is running").arg(name));
        return;
    }
    const ImportFormats::Kind kind = ImportFormats::kindOf(name);
    if (kind == ImportFormats::Kind::Csv) {
        importCSVFile(name);
        return;
    }
    if (ImportFormats::refusedForSelectedSource(kind)) {
        showInfo(L("KExchangeNotSupported"));
        return;
    }
    const QString path = Documents::filePath(name);
    const AppData &settings = AppData::sharedInstance();
    Result<ImportFormats::Reader> reader = ImportFormats::prepare(kind, path, settings.importMask(), settings.charSet());
    if (!reader) {
        DevLog::log(QStringLiteral("importFile %1 %2").arg(path, reader.error()));
        showInfo(ImportOutcome::message(ImportOutcome::kFailed));
        Q_EMIT importFinished(-1);
        return;
    }
    startImport(name, kind == ImportFormats::Kind::Backup, std::move(*reader));
}

void FileChooserViewController::startImport(const QString &name, bool withProgressBar,
                                            std::function<int(ProgressTarget *)> reader)
{
    DevLog::log(QStringLiteral("importThread: %1").arg(name));
    m_importing = true;
    setLocked(true);
    if (UiHost *host = UiHost::current())
        host->showProgress(L("KImportInProgress"), !withProgressBar);
    auto result = std::make_shared<int>(-1);
    runOnWorker(
        [result, reader = std::move(reader)] {
            SheetProgress progress;
            *result = reader(&progress);
        },
        [this, result] { importDone(*result); });
}

void FileChooserViewController::importDone(int result)
{
    m_importing = false;
    setLocked(false);
    if (UiHost *host = UiHost::current())
        host->closeProgress();
    showInfo(ImportOutcome::message(result));
    Q_EMIT importFinished(result);
}

void FileChooserViewController::deleteRow(int index)
{
    if (m_cloud && isCloudListMode(m_mode)) {
        m_cloud->remove(index);
        return;
    }
    if (m_importing || index < 0 || index >= m_rows.size() || isCloudListMode(m_mode))
        return;
    const FileRow row = m_rows[index];
    const QString path = Documents::filePath(row.name);
    // A folder may hold a whole export: one swipe alone does not remove it.
    if (row.isFolder) {
        UiHost *host = UiHost::current();
        if (!host || host->ask(QStringLiteral("Vennaro"), L("KDeleteFolderConfirm").arg(row.name), {L("KNo"), L("KYes")}, 0) != 1)
            return;
    }
    DevLog::log(QStringLiteral("del %1").arg(path));
    const bool removed = row.isFolder ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!removed) {
        showError(L("KDeleteFailed").arg(row.name));
        return;
    }
    m_rows.removeAt(index);
    Q_EMIT changed();
}

void FileChooserViewController::importCSVFile(const QString &name)
{
    Result<std::shared_ptr<CSVimport>> importer = CSVimport::fromFile(Documents::filePath(name), AppData::sharedInstance().charSet());
    if (!importer) {
        DevLog::log(QStringLiteral("stringWithContentsOfFile %1").arg(importer.error()));
        showError(importer.error());
        return;
    }
    m_csvImport = *importer;
    auto *mapping = getScreen<CSVHeaderViewController>(CSVHeaderScreen);
    if (!mapping)
        return;
    mapping->setDelegate(this);
    mapping->setImporter(m_csvImport);
    pushChild(mapping);
}

void FileChooserViewController::beginImportCSV()
{
    if (!m_csvImport || m_importing)
        return;
    const uint32_t mask = AppData::sharedInstance().importMask();
    startImport(QStringLiteral("CSV"), false, [importer = m_csvImport, mask](ProgressTarget *progress) {
        return importer->importWithTagert(progress, mask);
    });
}

void FileChooserViewController::startCloud()
{
    delete m_cloud;
    m_cloud = nullptr;
    CloudAccounts::Service service;
    // Nothing to upload: no reason to sign in.
    if (!cloudService(m_mode, &service) || (!isCloudListMode(m_mode) && m_rows.isEmpty()))
        return;
    m_cloud = new CloudFileList(service, !isCloudListMode(m_mode), this);
    // The back button stays hidden while the service works.
    connect(m_cloud, &CloudFileList::busyChanged, this, [this](bool busy) { setLocked(busy); });
    connect(m_cloud, &CloudFileList::listed, this, &FileChooserViewController::showRemoteFiles);
    connect(m_cloud, &CloudFileList::rowDone, this, &FileChooserViewController::removeRowAfterTransfer);
    connect(m_cloud, &CloudFileList::openScreen, this, &FileChooserViewController::pushChild);
    m_cloud->start();
}

void FileChooserViewController::showRemoteFiles(const QList<RemoteFile> &files)
{
    m_rows.clear();
    for (const RemoteFile &file : files) {
        FileRow row;
        describe(file.name, false, row);
        row.details = detailsLine(file.modified, file.size);
        m_rows.append(row);
    }
    m_rightButtonEnabled = !m_rows.isEmpty();
    Q_EMIT changed();
}

void FileChooserViewController::removeRowAfterTransfer(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    m_rows.removeAt(index);
    m_rightButtonEnabled = !m_rows.isEmpty();
    Q_EMIT changed();
}
