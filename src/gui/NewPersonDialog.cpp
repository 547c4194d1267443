#include "NewPersonDialog.h"

#include "addressbook/ABConstants.h"
#include "merge/NewPersonEditor.h"
#include "platform/Localization.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kPhotoSize = 72;
}

NewPersonDialog::NewPersonDialog(NewPersonEditor *editor, QWidget *parent) : QDialog(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("newPersonEditor"));
    setWindowTitle(editor->title());
    setWindowModality(Qt::WindowModal);
    auto *outer = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    // Photo.
    auto *photoRow = new QHBoxLayout;
    m_photo = new QLabel(content);
    m_photo->setObjectName(QStringLiteral("photo"));
    m_photo->setFixedSize(kPhotoSize, kPhotoSize);
    m_photo->setFrameShape(QFrame::Box);
    m_photo->setAlignment(Qt::AlignCenter);
    photoRow->addWidget(m_photo);
    auto *choose = new QPushButton(L("KChoosePhoto"), content);
    choose->setObjectName(QStringLiteral("choosePhoto"));
    connect(choose, &QPushButton::clicked, this, &NewPersonDialog::choosePhoto);
    auto *remove = new QPushButton(L("KRemovePhoto"), content);
    remove->setObjectName(QStringLiteral("removePhoto"));
    connect(remove, &QPushButton::clicked, this, [this] { setPhoto(QByteArray()); });
    photoRow->addWidget(choose);
    photoRow->addWidget(remove);
    photoRow->addStretch(1);
    layout->addLayout(photoRow);
    setPhoto(editor->photo());

    // Single texts and the birthday.
    auto *form = new QFormLayout;
    for (int property : NewPersonEditor::textProperties()) {
        if (property == kABPersonNoteProperty)
            continue;
        auto *edit = new QLineEdit(editor->text(property), content);
        edit->setObjectName(QStringLiteral("text%1").arg(property));
        form->addRow(NewPersonEditor::fieldName(property), edit);
        m_texts.insert(property, edit);
    }
    auto *birthdayRow = new QHBoxLayout;
    m_hasBirthday = new QCheckBox(content);
    m_hasBirthday->setObjectName(QStringLiteral("hasBirthday"));
    m_birthday = new QDateEdit(content);
    m_birthday->setObjectName(QStringLiteral("birthday"));
    m_birthday->setCalendarPopup(true);
    m_birthday->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    const QDate birthday = editor->birthday();
    m_hasBirthday->setChecked(birthday.isValid());
    m_birthday->setDate(birthday.isValid() ? birthday : QDate::currentDate());
    m_birthday->setEnabled(birthday.isValid());
    connect(m_hasBirthday, &QCheckBox::toggled, m_birthday, &QWidget::setEnabled);
    birthdayRow->addWidget(m_hasBirthday);
    birthdayRow->addWidget(m_birthday, 1);
    form->addRow(NewPersonEditor::fieldName(kABPersonBirthdayProperty), birthdayRow);
    layout->addLayout(form);

    // The multi-value families: one table each, label first.
    for (int property : NewPersonEditor::multiValueProperties()) {
        auto *box = new QGroupBox(NewPersonEditor::fieldName(property), content);
        auto *boxLayout = new QVBoxLayout(box);
        const QStringList keys = NewPersonEditor::fieldKeys(property);
        auto *table = new QTableWidget(0, 1 + int(keys.size()), box);
        table->setObjectName(QStringLiteral("entries%1").arg(property));
        QStringList headers{L("KLabel")};
        headers += keys.size() == 1 ? QStringList{NewPersonEditor::fieldName(property)} : keys;
        table->setHorizontalHeaderLabels(headers);
        table->horizontalHeader()->setStretchLastSection(true);
        table->verticalHeader()->hide();
        for (const NewPersonEditor::Entry &entry : editor->entries(property)) {
            const int row = table->rowCount();
            table->insertRow(row);
            table->setItem(row, 0, new QTableWidgetItem(entry.label));
            for (int part = 0; part < entry.parts.size(); ++part)
                table->setItem(row, 1 + part, new QTableWidgetItem(entry.parts.at(part)));
        }
        table->setMinimumHeight(qMin(6, table->rowCount() + 2) * table->verticalHeader()->defaultSectionSize());
        boxLayout->addWidget(table);
        auto *buttons = new QHBoxLayout;
        auto *add = new QToolButton(box);
        add->setText(QStringLiteral("+"));
        add->setObjectName(QStringLiteral("add%1").arg(property));
        connect(add, &QToolButton::clicked, table, [table] {
            table->insertRow(table->rowCount());
            table->setCurrentCell(table->rowCount() - 1, 1);
        });
        auto *drop = new QToolButton(box);
        drop->setText(QStringLiteral("−"));
        drop->setObjectName(QStringLiteral("remove%1").arg(property));
        connect(drop, &QToolButton::clicked, table, [table] {
            if (table->currentRow() >= 0)
                table->removeRow(table->currentRow());
        });
        buttons->addWidget(add);
        buttons->addWidget(drop);
        buttons->addStretch(1);
        boxLayout->addLayout(buttons);
        layout->addWidget(box);
        m_tables.insert(property, table);
    }

    auto *noteBox = new QGroupBox(NewPersonEditor::fieldName(kABPersonNoteProperty), content);
    auto *noteLayout = new QVBoxLayout(noteBox);
    m_note = new QPlainTextEdit(editor->text(kABPersonNoteProperty), noteBox);
    m_note->setObjectName(QStringLiteral("text%1").arg(kABPersonNoteProperty));
    m_note->setMaximumHeight(90);
    noteLayout->addWidget(m_note);
    layout->addWidget(noteBox);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setStyleSheet(QStringLiteral("color: #d93025;"));
    m_message->setWordWrap(true);
    m_message->hide();
    outer->addWidget(m_message);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cancel = buttons->addButton(L("KCancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QPushButton *saveButton = buttons->addButton(L("KSave"), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewPersonDialog::reject);
    connect(saveButton, &QPushButton::clicked, this, &NewPersonDialog::save);
    outer->addWidget(buttons);
    connect(editor, &NewPersonEditor::finished, this, [this] { QDialog::done(0); });
    connect(editor, &QObject::destroyed, this, [this] { QDialog::done(0); });
    resize(520, 640);
}

void NewPersonDialog::setPhoto(const QByteArray &data)
{
    m_photoData = data;
    QPixmap pixmap;
    if (!data.isEmpty() && pixmap.loadFromData(data))
        m_photo->setPixmap(pixmap.scaled(kPhotoSize, kPhotoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    else
        m_photo->setPixmap(QPixmap());
}

void NewPersonDialog::choosePhoto()
{
    const QString path = QFileDialog::getOpenFileName(this, L("KChoosePhoto"), QString(), QStringLiteral("Images (*.png *.jpg *.jpeg)"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    QPixmap check;
    const QByteArray data = file.readAll();
    if (check.loadFromData(data))
        setPhoto(data);
}

bool NewPersonDialog::applyFields(QString *error)
{
    NewPersonEditor *editor = m_editor;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it)
        editor->setText(it.key(), it.value()->text());
    editor->setText(kABPersonNoteProperty, m_note->toPlainText());
    editor->setBirthday(m_hasBirthday->isChecked() ? m_birthday->date() : QDate());
    if (m_photoData != editor->photo())
        editor->setPhoto(m_photoData);
    for (auto it = m_tables.cbegin(); it != m_tables.cend(); ++it) {
        QTableWidget *table = it.value();
        QList<NewPersonEditor::Entry> entries;
        for (int row = 0; row < table->rowCount(); ++row) {
            NewPersonEditor::Entry entry;
            const QTableWidgetItem *label = table->item(row, 0);
            entry.label = label ? label->text() : QString();
            for (int column = 1; column < table->columnCount(); ++column) {
                const QTableWidgetItem *item = table->item(row, column);
                entry.parts.append(item ? item->text() : QString());
            }
            entries.append(entry);
        }
        if (!editor->setEntries(it.key(), entries, error))
            return false;
    }
    return true;
}

void NewPersonDialog::save()
{
    if (!m_editor)
        return;
    QString error;
    if (!applyFields(&error) || !m_editor->save(&error)) {
        m_message->setText(error);
        m_message->show();
    }
}

void NewPersonDialog::reject()
{
    if (m_editor && !m_editor->isFinished())
        m_editor->cancel();
    QDialog::reject();
}
