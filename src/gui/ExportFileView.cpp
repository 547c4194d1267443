#include "ExportFileView.h"

#include "exporting/ExportFileViewController.h"
#include "platform/Localization.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *textField(const QString &name, const QString &placeholder)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(true);
    // Return closes the keyboard: here, it leaves the field.
    QObject::connect(field, &QLineEdit::returnPressed, field, &QWidget::clearFocus);
    return field;
}
}

ExportFileView::ExportFileView(ExportFileViewController *controller)
    : ScreenView(controller), m_export(controller), m_records(new QLabel), m_formatTitle(new QLabel),
      m_formatNote(new QLabel), m_schemaRow(new QWidget), m_singleRow(new QWidget)
{
    auto *layout = new QVBoxLayout(this);
    m_records->setObjectName(QStringLiteral("records"));
    layout->addWidget(m_records);
    auto *charSet = new QLabel(controller->charSetText());
    charSet->setObjectName(QStringLiteral("charSet"));
    layout->addWidget(charSet);

    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_fileName = textField(QStringLiteral("fileName"), L("KpcFilename"));
    m_fileName->setText(controller->textFile());
    connect(m_fileName, &QLineEdit::textChanged, controller, [controller](const QString &text) { controller->setTextFile(text); });
    form->addRow(L("KFilename"), m_fileName);

    auto *formatRow = new QWidget;
    m_formats = segments(ExportFileViewController::formatSegments(), QStringLiteral("format"), formatRow);
    connect(m_formats, &QButtonGroup::idClicked, controller, &ExportFileViewController::setFormat);
    form->addRow(L("KFormat"), formatRow);

    m_formatTitle->setObjectName(QStringLiteral("formatTitle"));
    m_formatNote->setObjectName(QStringLiteral("formatNote"));
    m_formatNote->setWordWrap(true);
    layout->addWidget(m_formatTitle);
    layout->addWidget(m_formatNote);

    m_schemaRow->setObjectName(QStringLiteral("schemaRow"));
    auto *schemaForm = new QFormLayout(m_schemaRow);
    schemaForm->setContentsMargins(0, 0, 0, 0);
    auto *schemaButtons = new QWidget;
    m_schemas = segments(ExportFileViewController::schemaSegments(), QStringLiteral("schema"), schemaButtons);
    connect(m_schemas, &QButtonGroup::idClicked, controller, &ExportFileViewController::setSchema);
    schemaForm->addRow(QStringLiteral("Schema:"), schemaButtons);
    m_dn = textField(QStringLiteral("dn"), L("KpcOptional"));
    connect(m_dn, &QLineEdit::textChanged, controller, [controller](const QString &text) { controller->setTextDN(text); });
    schemaForm->addRow(QStringLiteral("dn:"), m_dn);
    layout->addWidget(m_schemaRow);

    m_singleRow->setObjectName(QStringLiteral("singleRow"));
    auto *singleLayout = new QHBoxLayout(m_singleRow);
    singleLayout->setContentsMargins(0, 0, 0, 0);
    singleLayout->addWidget(new QLabel(L("KSingleVCARD")));
    m_single = new QCheckBox;
    m_single->setObjectName(QStringLiteral("singleVCard"));
    m_single->setChecked(controller->singleVCard());
    connect(m_single, &QCheckBox::toggled, controller, &ExportFileViewController::setSingleVCard);
    singleLayout->addWidget(m_single);
    singleLayout->addStretch();
    layout->addWidget(m_singleRow);

    layout->addWidget(new QLabel(L("KNote")));
    auto *note = new QLabel(L("KNoteExport"));
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();

    m_exportButton = new QPushButton(L("KExport"), this);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    m_exportButton->hide(); // shown in the navigation bar
    connect(m_exportButton, &QPushButton::clicked, controller, [this, controller] {
        m_fileName->clearFocus();
        m_dn->clearFocus();
        controller->buttonPressed();
    });
    refresh();
}

QButtonGroup *ExportFileView::segments(const QStringList &texts, const QString &prefix, QWidget *parent)
{
    auto *row = new QHBoxLayout(parent);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *group = new QButtonGroup(parent);
    for (int i = 0; i < texts.size(); ++i) {
        auto *button = new QPushButton(texts[i]);
        button->setObjectName(prefix + QString::number(i));
        button->setCheckable(true);
        group->addButton(button, i);
        row->addWidget(button);
    }
    return group;
}

QWidget *ExportFileView::navigationRightWidget()
{
    return m_exportButton;
}

void ExportFileView::refresh()
{
    m_records->setText(m_export->recordsText());
    if (QAbstractButton *format = m_formats->button(m_export->format()))
        format->setChecked(true);
    m_formatTitle->setText(m_export->formatTitle());
    m_formatNote->setText(m_export->formatNote());
    if (QAbstractButton *schema = m_schemas->button(m_export->schema()))
        schema->setChecked(true);
    m_schemaRow->setVisible(m_export->showsSchema());
    m_singleRow->setVisible(m_export->showsSingleFileSwitch());
}
