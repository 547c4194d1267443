#pragma once

#include "ScreenView.h"

class QTextBrowser;
class WebViewController;

// The information page in a text browser; links go to the controller (and so to the browser).
class WebPageView : public ScreenView {
    Q_OBJECT
public:
    explicit WebPageView(WebViewController *controller);

protected:
    void refresh() override;

private:
    WebViewController *m_page;
    QTextBrowser *m_browser;
};
