#include "ProgressSheet.h"

#include "shell/UiHost.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int kSteps = 1000;
}

ProgressSheet::ProgressSheet(const QString &task, bool animated, QWidget *parent)
    : QDialog(parent, Qt::Sheet | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("progressSheet"));
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("Vennaro"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(UiHost::progressTitle(task).trimmed(), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    m_bar->setRange(0, animated ? 0 : kSteps);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    setMinimumWidth(320);
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
