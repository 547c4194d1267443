#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

class NewPersonEditor;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

// The window-modal editor of a new person: every field family editable, Save adds the person
// (the dialog stays open with the message when that fails), Cancel leaves the address book as
// it was. Widgets are named after their fields ("text<property>", "entries<property>",
// "birthday", "photo", "saveButton", "cancelButton").
class NewPersonDialog : public QDialog {
    Q_OBJECT
public:
    NewPersonDialog(NewPersonEditor *editor, QWidget *parent);

    void reject() override;

private:
    void save();
    bool applyFields(QString *error);
    void setPhoto(const QByteArray &data);
    void choosePhoto();

    QPointer<NewPersonEditor> m_editor;
    QHash<int, QLineEdit *> m_texts;
    QPlainTextEdit *m_note = nullptr;
    QCheckBox *m_hasBirthday = nullptr;
    QDateEdit *m_birthday = nullptr;
    QLabel *m_photo = nullptr;
    QByteArray m_photoData;
    QHash<int, QTableWidget *> m_tables;
    QLabel *m_message = nullptr;
};
