#pragma once

#include <QPointer>
#include <QWidget>

class ScreenController;

// The widget side of one screen: draws its controller's state and forwards the user's actions.
// A view redraws in refresh() whenever the controller says it changed. It may offer widgets
// for the navigation bar (left: shown on the root screen where no "Back" is; right: always).
class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(ScreenController *controller, QWidget *parent = nullptr);

    ScreenController *controller() const;
    virtual QWidget *navigationLeftWidget() { return nullptr; }
    virtual QWidget *navigationRightWidget() { return nullptr; }
    // A screen in the middle of a choice may hide "Back" (asked again whenever it changes).
    virtual bool hidesBackButton() const { return false; }

    // Whether the view wants a navigation-bar widget shown (default yes).
    static bool navigationWidgetWanted(const QWidget *widget);

protected:
    virtual void refresh() {}
    // Shows or hides one of this view's navigation-bar widgets, wherever it is at the moment.
    void setNavigationWidgetVisible(QWidget *widget, bool visible);

private:
    QPointer<ScreenController> m_controller;
};
