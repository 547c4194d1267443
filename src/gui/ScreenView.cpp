#include "ScreenView.h"

#include "shell/ScreenController.h"

ScreenView::ScreenView(ScreenController *controller, QWidget *parent) : QWidget(parent), m_controller(controller)
{
    // Queued so that a view never rebuilds itself inside the click handler that caused it.
    connect(controller, &ScreenController::changed, this, &ScreenView::refresh, Qt::QueuedConnection);
}

ScreenController *ScreenView::controller() const
{
    return m_controller;
}

bool ScreenView::navigationWidgetWanted(const QWidget *widget)
{
    const QVariant wanted = widget->property("navigationVisible");
    return !wanted.isValid() || wanted.toBool();
}

void ScreenView::setNavigationWidgetVisible(QWidget *widget, bool visible)
{
    widget->setProperty("navigationVisible", visible);
    // Parked in the view means the view is not on top: it stays hidden until lent again.
    if (widget->parentWidget() != this)
        widget->setVisible(visible);
}
