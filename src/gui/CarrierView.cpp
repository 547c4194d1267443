#include "CarrierView.h"

#include "numbers/CarrierViewController.h"
#include "platform/Localization.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CarrierView::CarrierView(CarrierViewController *controller)
    : NumberScreenView(controller), m_carrier(controller), m_name(textField(QStringLiteral("ruleName"), L("KpcRuleName"))),
      m_mask(textField(QStringLiteral("mask"), L("KpcChangeMask"))), m_number(textField(QStringLiteral("newNumber"), L("KpcNumber"))),
      m_actions(new QButtonGroup(this)), m_showAll(new QCheckBox)
{
    auto *form = new QFormLayout;
    form->addRow(L("KRuleName"), m_name);
    form->addRow(L("KChgMask"), m_mask);
    form->addRow(L("KNewNum"), m_number);
    connect(m_name, &QLineEdit::textEdited, controller, &CarrierViewController::setTextName);
    connect(m_mask, &QLineEdit::textEdited, controller, &CarrierViewController::setTextCarrier);
    connect(m_number, &QLineEdit::textEdited, controller, &CarrierViewController::setTextCity);

    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    const QStringList texts = CarrierViewController::actionSegments();
    for (int index = 0; index < texts.size(); ++index) {
        auto *button = new QPushButton(texts.at(index));
        button->setObjectName(QStringLiteral("action%1").arg(index));
        button->setCheckable(true);
        m_actions->addButton(button, index);
        segments->addWidget(button);
    }
    connect(m_actions, &QButtonGroup::idClicked, controller, &CarrierViewController::setAction);
    form->addRow(L("KAction"), segments);

    m_showAll->setObjectName(QStringLiteral("showAll"));
    connect(m_showAll, &QCheckBox::toggled, controller, &CarrierViewController::setShowAll);
    form->addRow(L("KShowAll"), m_showAll);
    formLayout()->addLayout(form);

    auto *storage = new QHBoxLayout;
    auto *save = new QPushButton(L("KSave"));
    save->setObjectName(QStringLiteral("saveButton"));
    connect(save, &QPushButton::clicked, controller, &CarrierViewController::save);
    auto *load = new QPushButton(L("KLoad"));
    load->setObjectName(QStringLiteral("loadButton"));
    connect(load, &QPushButton::clicked, controller, &CarrierViewController::load);
    storage->addWidget(save);
    storage->addWidget(load);
    formLayout()->addLayout(storage);
    finishForm(controller->helpText());
    refresh();
}

void CarrierView::refresh()
{
    showText(m_name, m_carrier->_textName);
    showText(m_mask, m_carrier->_textCarrier);
    showText(m_number, m_carrier->_textCity);
    if (QAbstractButton *action = m_actions->button(m_carrier->_segmentedControl))
        action->setChecked(true);
    m_showAll->setChecked(m_carrier->_switch);
    NumberScreenView::refresh();
}
