#include "PersonDialog.h"

#include "addressbook/ABSources.h"
#include "addressbook/PersonText.h"
#include "platform/Localization.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

PersonDialog::PersonDialog(int recordID, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("personView"));
    auto *layout = new QVBoxLayout(this);
    auto *photo = new QLabel(this);
    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("personText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    ABAddressBookRef book = ABSources::openAddressBook("PersonDialog");
    ABRecordRef person = book ? book->personWithRecordID(recordID) : nullptr;
    if (person) {
        setWindowTitle(person->copyCompositeName());
        text->setPlainText(PersonText::readable(*book, person));
        QPixmap picture;
        if (picture.loadFromData(person->copyImageData()))
            photo->setPixmap(picture.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        text->setPlainText(L("KErrCreateAllpeople"));
    }
    photo->setVisible(!photo->pixmap().isNull());
    layout->addWidget(photo, 0, Qt::AlignHCenter);
    layout->addWidget(text, 1);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(L("KOK"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(420, 480);
}
