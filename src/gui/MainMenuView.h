#pragma once

#include "ScreenView.h"

class MainViewController;
class QLabel;
class QPushButton;
class QToolButton;
class SectionList;

// The main menu: the source label, the menu sections, the footer button, and the information
// and source buttons of the navigation bar.
class MainMenuView : public ScreenView {
    Q_OBJECT
public:
    explicit MainMenuView(MainViewController *controller);

    QWidget *navigationLeftWidget() override;
    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    void showSourcePopup();

    MainViewController *m_menu;
    QLabel *m_sourceLabel;
    SectionList *m_list;
    QPushButton *m_footer;
    QToolButton *m_infoButton;
    QToolButton *m_sourceButton;
};
