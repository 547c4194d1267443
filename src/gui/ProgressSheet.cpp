#include "ProgressSheet.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int kSteps = 1000;
}

ProgressSheet::ProgressSheet(const QString &title, bool animated, QWidget *parent)
    : QDialog(parent, Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("progressSheet"));
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Vennaro"));
    auto *layout = new QVBoxLayout(this);
    setTitle(title);
    m_label->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label);
    m_bar->setRange(0, animated ? 0 : kSteps);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    setMinimumWidth(320);
}

void ProgressSheet::setTitle(const QString &title)
{
    m_label->setText(title.trimmed());
}

bool ProgressSheet::setValue(double value)
{
    if (value >= 1) {
        finish();
        return false;
    }
    if (m_bar->maximum() > 0)
        m_bar->setValue(int(qBound(0.0, value, 1.0) * kSteps));
    return true;
}

double ProgressSheet::value() const
{
    return m_bar->maximum() > 0 ? double(m_bar->value()) / kSteps : 0;
}

void ProgressSheet::finish()
{
    m_closing = true;
    hide();
    deleteLater();
}

void ProgressSheet::closeEvent(QCloseEvent *event)
{
    if (!m_closing)
        event->ignore();
}
