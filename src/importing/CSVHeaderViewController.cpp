#include "CSVHeaderViewController.h"

#include "CSVHeaderDelegate.h"
#include "formats/csv/CSVimport.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

CSVHeaderViewController::CSVHeaderViewController(QObject *parent) : ScreenController(CSVHeaderScreen, parent) {}

CSVHeaderViewController::~CSVHeaderViewController() = default;

QString CSVHeaderViewController::title() const
{
    return L("KCSVheader");
}

void CSVHeaderViewController::setImporter(std::shared_ptr<CSVimport> importer)
{
    m_importer = std::move(importer);
    m_column = -1;
    Q_EMIT changed();
}

int CSVHeaderViewController::rowCount() const
{
    if (!m_importer)
        return 0;
    return isShowingFields() ? int(CSVimport::fields().size()) : int(m_importer->csvheader().size());
}

QString CSVHeaderViewController::sectionTitle() const
{
    if (!isShowingFields())
        return L("KMapIt");
    return L("KMappedTit").arg(CSVimport::headerText(m_importer->csvheader().at(m_column)));
}

QString CSVHeaderViewController::footerText() const
{
    if (isShowingFields() || !m_importer)
        return QString();
    return L("KMapped").arg(m_importer->countAssigned()).arg(m_importer->csvheader().size());
}

QString CSVHeaderViewController::rowText(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    return isShowingFields() ? CSVimport::fields().at(row) : CSVimport::headerText(m_importer->csvheader().at(row));
}

QString CSVHeaderViewController::mappedFieldName(int row) const
{
    if (isShowingFields() || row < 0 || row >= rowCount())
        return QString();
    int field = m_importer->mappings().at(row);
    return field >= 0 && field < CSVimport::fields().size() ? CSVimport::fields().at(field) : QString();
}

QString CSVHeaderViewController::rowDetail(int row) const
{
    if (isShowingFields() || row < 0 || row >= rowCount())
        return QString();
    QString field = mappedFieldName(row);
    return field.isEmpty() ? L("KNotMapped") : L("KMappedTo").arg(field);
}

QString CSVHeaderViewController::rightButtonTitle() const
{
    return isShowingFields() ? L("KCancel") : L("KImport");
}

QString CSVHeaderViewController::guessButtonTitle() const
{
    return L("KGuess");
}

void CSVHeaderViewController::didSelectRow(int row)
{
    if (!m_importer || row < 0 || row >= rowCount())
        return;
    if (!isShowingFields()) {
        m_column = row;
        Q_EMIT changed();
        return;
    }
    const int column = m_column;
    m_importer->mappings()[column] = row;
    m_column = -1;
    Q_EMIT changed();
    Q_EMIT scrollToRow(column);
}

void CSVHeaderViewController::rightButtonPressed()
{
    if (isShowingFields()) {
        const int column = m_column;
        m_column = -1;
        Q_EMIT changed();
        Q_EMIT scrollToRow(column);
        return;
    }
    if (!m_importer)
        return;
    if (m_importer->areAllFieldsAssigned()) {
        startImport();
    } else if (m_importer->oneFieldAssigned()) {
        UiHost *host = UiHost::current();
        if (host && host->ask(QStringLiteral("Vennaro"), L("KFieldsNotMapped"), {L("KNo"), L("KYes")}, 0) == 1)
            startImport();
    } else {
        showError(L("KNothingMapped"));
    }
}

void CSVHeaderViewController::guessPressed()
{
    if (!m_importer || isShowingFields())
        return;
    if (m_importer->guessUnmapped() > 0)
        Q_EMIT changed();
}

void CSVHeaderViewController::startImport()
{
    // The screen goes first: it may be released as it disappears.
    CSVHeaderDelegate *delegate = m_delegate;
    close();
    if (delegate)
        delegate->beginImportCSV();
}

void CSVHeaderViewController::close()
{
    if (UiHost *host = UiHost::current())
        host->pop();
}
