#pragma once

#include <QDialog>

// A person shown read-only: every value with its label, nothing to edit.
class PersonDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the person from a freshly opened address book; a person that is gone says so.
    PersonDialog(int recordID, QWidget *parent);
};
