#pragma once

#include "shell/ScreenController.h"

#include <QString>

#include <memory>

class CSVimport;
class CSVHeaderDelegate;

// Screen 17, "CSV header": lets the user review and change how the columns of a CSV file map
// to contact fields before the import starts. Two lists take turns in one table:
// - the column list: one row per column (its header text, and "mapped to: FIELD" or
//   "not mapped"), with the footer "N of M mapped", the right-hand button "Import" and a
//   "Guess" button;
// - the field list, after a column was tapped: the 24 target fields; the right-hand button
//   is "Cancel" and the back button is hidden.
// Tapping a field maps the column to it (a mapped column can move to another field but never
// back to "not mapped") and returns to the column list, scrolled to that column.
class CSVHeaderViewController : public ScreenController {
    Q_OBJECT
public:
    explicit CSVHeaderViewController(QObject *parent = nullptr);
    ~CSVHeaderViewController() override;

    QString title() const override;

    // The import screen; told beginImportCSV() when the user confirms.
    void setDelegate(CSVHeaderDelegate *delegate) { m_delegate = delegate; }
    // The importer whose mapping is shown and changed; shows the column list.
    void setImporter(std::shared_ptr<CSVimport> importer);
    const std::shared_ptr<CSVimport> &importer() const { return m_importer; }

    // What the view draws.
    bool isShowingFields() const { return m_column >= 0; }
    int rowCount() const;
    QString sectionTitle() const;
    QString footerText() const;       // empty while the field list is shown
    QString rowText(int row) const;   // header text, or target field name
    QString rowDetail(int row) const; // column list: "mapped to: FIELD" / "not mapped"
    // The target field's name of a column (drawn in blue), empty when not mapped (light gray).
    QString mappedFieldName(int row) const;
    QString rightButtonTitle() const; // "Import" or "Cancel"
    bool isBackButtonHidden() const { return isShowingFields(); }
    bool isGuessButtonShown() const { return !isShowingFields(); }
    QString guessButtonTitle() const;

    // What the user does.
    void didSelectRow(int row);
    void rightButtonPressed();
    void guessPressed();

Q_SIGNALS:
    // The column list should scroll so that this row is visible.
    void scrollToRow(int row);

private:
    void startImport();
    void close();

    CSVHeaderDelegate *m_delegate = nullptr;
    std::shared_ptr<CSVimport> m_importer;
    int m_column = -1; // the column being mapped while the field list is shown
};
