#include "CSVHeaderView.h"

#include "KeyActivation.h"
#include "TwoLineDelegate.h"
#include "importing/CSVHeaderViewController.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

CSVHeaderView::CSVHeaderView(CSVHeaderViewController *controller)
    : ScreenView(controller), m_mapping(controller), m_header(new QLabel(this)), m_rows(new QListWidget(this)),
      m_footer(new QLabel(this)), m_guess(new QPushButton(this)), m_rightButton(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    m_header->setObjectName(QStringLiteral("sectionHeader"));
    m_header->setWordWrap(true);
    m_header->setContentsMargins(12, 8, 12, 2);
    m_header->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_header);

    m_rows->setObjectName(QStringLiteral("rows"));
    m_rows->setItemDelegate(new TwoLineDelegate(m_rows));
    m_rows->setUniformItemSizes(true);
    m_rows->setMouseTracking(true);
    connect(m_rows, &QListWidget::clicked, this, [mapping = m_mapping](const QModelIndex &index) { mapping->didSelectRow(index.row()); });
    new KeyActivation(m_rows, [mapping = m_mapping](const QModelIndex &index) { mapping->didSelectRow(index.row()); });
    layout->addWidget(m_rows, 1);

    m_footer->setObjectName(QStringLiteral("sectionFooter"));
    m_footer->setAlignment(Qt::AlignCenter);
    m_footer->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_footer);

    m_guess->setObjectName(QStringLiteral("guessButton"));
    connect(m_guess, &QPushButton::clicked, m_mapping, &CSVHeaderViewController::guessPressed);
    layout->addWidget(m_guess, 0, Qt::AlignHCenter);

    m_rightButton->setObjectName(QStringLiteral("navigationButton"));
    m_rightButton->setAutoRaise(true);
    connect(m_rightButton, &QToolButton::clicked, m_mapping, &CSVHeaderViewController::rightButtonPressed);
    // After the redraw that the same change queued.
    connect(m_mapping, &CSVHeaderViewController::scrollToRow, this, &CSVHeaderView::scrollToRow, Qt::QueuedConnection);
    refresh();
}

QWidget *CSVHeaderView::navigationRightWidget()
{
    return m_rightButton;
}

bool CSVHeaderView::hidesBackButton() const
{
    return m_mapping->isBackButtonHidden();
}

void CSVHeaderView::refresh()
{
    m_header->setText(m_mapping->sectionTitle());
    m_rows->clear();
    const bool fields = m_mapping->isShowingFields();
    for (int row = 0; row < m_mapping->rowCount(); ++row) {
        auto *item = new QListWidgetItem(m_mapping->rowText(row), m_rows);
        if (fields)
            continue;
        const QString field = m_mapping->mappedFieldName(row);
        item->setData(TwoLineDelegate::DetailRole, m_mapping->rowDetail(row));
        item->setData(TwoLineDelegate::DetailAccentRole, field);
        if (field.isEmpty())
            item->setData(TwoLineDelegate::DetailColorRole, QColor(Qt::lightGray));
    }
    const QString footer = m_mapping->footerText();
    m_footer->setText(footer);
    m_footer->setVisible(!footer.isEmpty());
    m_guess->setText(m_mapping->guessButtonTitle());
    m_guess->setVisible(m_mapping->isGuessButtonShown());
    m_rightButton->setText(m_mapping->rightButtonTitle());
}

void CSVHeaderView::scrollToRow(int row)
{
    if (QListWidgetItem *item = m_rows->item(row)) {
        m_rows->setCurrentItem(item);
        m_rows->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
}
