#pragma once

#include "shell/ScreenController.h"

#include <QPointer>
#include <QStringList>

class RuleLoader;

// The rule chooser (screen 13): the saved rules by name, in the file's order. Choosing one
// hands it to the change-numbers screen and closes; in delete mode rules can be removed, and
// the chooser closes when the last one goes.
class RulesChooserViewController : public ScreenController {
    Q_OBJECT
public:
    explicit RulesChooserViewController(QObject *parent = nullptr);

    QString title() const override;
    QString sectionHeader() const;

    // The screen that receives the chosen rule. Must be a QObject (it may go first).
    void setDelegate(RuleLoader *delegate);
    // Reads the rule names from the file (logging "no data" / "no dictionay" when it is not usable).
    void loadData();
    const QStringList &rules() const { return m_rules; }

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    // The Edit button works while there are rules.
    bool editEnabled() const { return !m_rules.isEmpty(); }

    void didSelectRow(int row);
    void deleteRow(int row);
    // Removes the rule from the file; answers the number of rules left (0 when the file is
    // not usable).
    int deleteKey(const QString &name);

    void viewWillAppear() override;

private:
    void close();

    QPointer<QObject> m_delegateObject;
    RuleLoader *m_delegate = nullptr;
    QStringList m_rules;
    bool m_editing = false;
};
