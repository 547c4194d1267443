#pragma once

#include "ScreenView.h"

class ExportFileViewController;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The export screen: the number of records, the file name, the seven format segments with the
// chosen one's title and note, the LDIF schema and DN (LDIF only), the single vCard switch
// (VCF only) and the "Export" button in the navigation bar.
class ExportFileView : public ScreenView {
    Q_OBJECT
public:
    explicit ExportFileView(ExportFileViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    // A row of checkable buttons, one checked at a time, named prefix0, prefix1 …
    QButtonGroup *segments(const QStringList &texts, const QString &prefix, QWidget *parent);

    ExportFileViewController *m_export;
    QLabel *m_records;
    QLineEdit *m_fileName;
    QButtonGroup *m_formats;
    QLabel *m_formatTitle;
    QLabel *m_formatNote;
    QWidget *m_schemaRow;
    QButtonGroup *m_schemas;
    QLineEdit *m_dn;
    QWidget *m_singleRow;
    QCheckBox *m_single;
    QPushButton *m_exportButton;
};
