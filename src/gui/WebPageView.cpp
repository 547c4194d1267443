#include "WebPageView.h"

#include "shell/WebViewController.h"

#include <QTextBrowser>
#include <QVBoxLayout>

WebPageView::WebPageView(WebViewController *controller)
    : ScreenView(controller), m_page(controller), m_browser(new QTextBrowser(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setObjectName(QStringLiteral("page"));
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    connect(m_browser, &QTextBrowser::anchorClicked, m_page, &WebViewController::linkActivated);
    refresh();
}

void WebPageView::refresh()
{
    m_browser->setHtml(m_page->html());
}
