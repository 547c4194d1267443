#pragma once

#include "ScreenController.h"

#include <QStringList>

// The language screen (screen 20): picks the language of the next start, kept as the
// AppleLanguages user default.
class LanguageViewController : public ScreenController {
    Q_OBJECT
public:
    enum Choice { SystemDefault = 0, English = 1, Portuguese = 2 };

    explicit LanguageViewController(QObject *parent = nullptr);

    QString title() const override;
    QString header() const;
    QString footer() const;
    QStringList rows() const;

    // The marked row, from the AppleLanguages user default.
    int ilang = SystemDefault;
    static int currentChoice();

    // Moves the mark, stores the choice and tells the user it applies at the next start.
    void selectRow(int row);
};
