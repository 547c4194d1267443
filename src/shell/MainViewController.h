#pragma once

#include "ScreenController.h"

#include <QList>
#include <QString>

// The main menu (screen 1): the root of the navigation stack, never released. Its sections
// follow the settings (the Google section with EnableGmail, the source button with
// EnableSources) and are rebuilt each time the menu reappears.
class MainViewController : public ScreenController {
    Q_OBJECT
public:
    // Row numbers (each row's tag).
    enum Row {
        RowExport = 1,
        RowImport = 2,
        RowSettings = 3,
        RowChangeNumbers = 4,
        RowFormatNumbers = 7,
        RowManageGroups = 8,
        RowFileTransfer = 10,
        RowBarcode = 11,
        RowPrint = 12,
        RowGoogleUp = 13,
        RowGoogleDown = 14,
        RowMerge = 15,
    };
    struct MenuRow {
        int tag;
        QString text;
    };
    struct SourceChoice {
        QString name;
        QString detail; // "(iCloud/Facebook)", "(Google)" or empty
    };

    explicit MainViewController(QObject *parent = nullptr);

    QString title() const override { return QStringLiteral("Vennaro"); }
    void viewWillAppear() override;

    // The menu's sections (cfCells0 … cfCells4), as last built.
    const QList<QList<MenuRow>> &sections() const { return m_sections; }
    void reloadMenu();
    void selectRow(int tag);

    // Whether printing is offered (the print row). The window sets it; default on.
    static void setPrintingAvailable(bool available);
    static bool printingAvailable();

    // The source label, button and popup.
    QString selectedSourceLabel() const { return m_selectedSourceLabel; }
    bool sourceButtonVisible() const;
    QString sourcePopupTitle() const;
    QList<SourceChoice> sourceChoices() const;
    void pickSource(int row);

    // The footer button: product name and version; from the fifth press on each press flips
    // EnableGoogleDocs and saves the settings.
    QString footerText() const;
    void footerPressed();
    int presscount = 0;

    // The information button.
    void openInformation();

    // A file handed in by another application: moved into the documents folder (a.vcf,
    // a_.vcf, a__.vcf … while the name is taken) and handed to the file list.
    void importFile(const QString &path);
    // The documents-folder path a handed-in file is stored under.
    static QString targetPathFor(const QString &path);

    void checkAddressBookAccess();

    int gmailmode = 0;

Q_SIGNALS:
    // "TSPopupSelected": a source was picked in the popup.
    void sourceSelected(int row);

private:
    void openSelectionList(int mode);
    void googleFlow(int mode);
    void openGroups();

    QList<QList<MenuRow>> m_sections;
    QString m_selectedSourceLabel;
};
