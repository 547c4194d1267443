#pragma once

#include "shell/ScreenController.h"

#include <QList>
#include <QString>

// The duplicate search screen (21): how duplicates are recognised. Choosing a row opens the
// selection list in its merge mode with that criterion.
class DuplicateSearchViewController : public ScreenController {
    Q_OBJECT
public:
    struct Row {
        QString text;
        int criterion;
    };

    explicit DuplicateSearchViewController(QObject *parent = nullptr);

    QString title() const override;
    int sectionCount() const { return 2; }
    QString sectionTitle(int section) const;
    QList<Row> rows(int section) const;

    void didSelectRow(int section, int row);
    void viewWillAppear() override;
};
