#include "FormatNumberView.h"

#include "numbers/FormatNumberViewController.h"
#include "platform/Localization.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

FormatNumberView::FormatNumberView(FormatNumberViewController *controller)
    : NumberScreenView(controller), m_format(controller), m_showAll(new QCheckBox)
{
    auto *form = new QFormLayout;
    const char *const labels[] = {"KFmtMask1", "KFmtMask2", "KFmtMask3"};
    for (int index = 0; index < int(m_masks.size()); ++index) {
        QLineEdit *field = textField(QStringLiteral("mask%1").arg(index + 1), L("KpcMask"));
        connect(field, &QLineEdit::textEdited, controller, [controller, index](const QString &text) { controller->setMask(index, text); });
        form->addRow(L(labels[index]), field);
        m_masks[size_t(index)] = field;
    }
    m_showAll->setObjectName(QStringLiteral("showAll"));
    connect(m_showAll, &QCheckBox::toggled, controller, &FormatNumberViewController::setShowAll);
    form->addRow(L("KShowAll"), m_showAll);
    formLayout()->addLayout(form);
    finishForm(controller->helpText());
    refresh();
}

void FormatNumberView::refresh()
{
    for (size_t index = 0; index < m_masks.size(); ++index)
        showText(m_masks[index], m_format->masks().masks[index]);
    m_showAll->setChecked(m_format->showAll());
    NumberScreenView::refresh();
}
