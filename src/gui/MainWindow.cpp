#include "MainWindow.h"

#include "ProgressSheet.h"
#include "ScreenView.h"
#include "ViewFactory.h"
#include "platform/Localization.h"
#include "shell/Operations.h"
#include "shell/ScreenController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_stack(new QStackedWidget), m_back(new QToolButton), m_title(new QLabel),
      m_leftSlot(new QHBoxLayout), m_rightSlot(new QHBoxLayout), m_leftBox(new QWidget), m_rightBox(new QWidget)
{
    setWindowTitle(QStringLiteral("Vennaro"));
    resize(480, 720);
    setMinimumSize(360, 480);

    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("navigationBar"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 6, 8, 6);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->setText(QStringLiteral("‹ ") + L("KBack"));
    m_back->setAutoRaise(true);
    m_back->setToolTip(L("KBack") + QStringLiteral(" (Alt+Left)"));
    connect(m_back, &QToolButton::clicked, this, &MainWindow::goBack);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setAlignment(Qt::AlignCenter);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    m_title->setFont(titleFont);
    // Equal side slots keep the title centred.
    QWidget *left = m_leftBox;
    left->setLayout(m_leftSlot);
    QWidget *right = m_rightBox;
    right->setLayout(m_rightSlot);
    m_leftSlot->setContentsMargins(0, 0, 0, 0);
    m_rightSlot->setContentsMargins(0, 0, 0, 0);
    m_leftSlot->addWidget(m_back);
    m_leftSlot->addStretch(1);
    m_rightSlot->addStretch(1);
    left->setMinimumWidth(96);
    right->setMinimumWidth(96);
    barLayout->addWidget(left);
    barLayout->addWidget(m_title, 1);
    barLayout->addWidget(right);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    layout->addWidget(m_stack, 1);
    setCentralWidget(central);

    for (const QKeySequence &key : {QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &MainWindow::goBack);
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this, &QWidget::close);
    updateNavigationBar();
}

MainWindow::~MainWindow()
{
    if (UiHost::current() == this)
        UiHost::setCurrent(nullptr);
}

QList<ScreenController *> MainWindow::screens() const
{
    QList<ScreenController *> list;
    for (const Entry &entry : m_entries)
        list.append(entry.screen);
    return list;
}

ProgressSheet *MainWindow::progressSheet() const
{
    return m_progress;
}

ScreenView *MainWindow::topView() const
{
    return m_entries.isEmpty() ? nullptr : m_entries.last().view;
}

void MainWindow::parkNavigationWidgets()
{
    for (QWidget *widget : {m_shownLeft.data(), m_shownRight.data()}) {
        if (!widget)
            continue;
        widget->setParent(m_barOwner); // hides it; the view owns it again
    }
    m_shownLeft = nullptr;
    m_shownRight = nullptr;
    m_barOwner = nullptr;
}

void MainWindow::updateNavigationBar()
{
    parkNavigationWidgets();
    ScreenView *view = topView();
    ScreenController *screen = view ? view->controller() : nullptr;
    m_title->setText(screen ? screen->title() : QStringLiteral("Vennaro"));
    const bool root = m_entries.size() <= 1;
    m_back->setVisible(backAllowed());
    // The boxes, not the widgets: a view's own disabled button stays disabled after unlocking.
    m_leftBox->setEnabled(!m_locked);
    m_rightBox->setEnabled(!m_locked);
    if (!view)
        return;
    m_barOwner = view;
    if (QWidget *left = view->navigationLeftWidget(); left && root) {
        m_leftSlot->insertWidget(0, left);
        left->setVisible(ScreenView::navigationWidgetWanted(left));
        m_shownLeft = left;
    }
    if (QWidget *right = view->navigationRightWidget()) {
        m_rightSlot->addWidget(right);
        right->setVisible(ScreenView::navigationWidgetWanted(right));
        m_shownRight = right;
    }
}

bool MainWindow::backAllowed() const
{
    const ScreenView *view = topView();
    return m_entries.size() > 1 && !m_locked && !(view && view->hidesBackButton());
}

void MainWindow::push(ScreenController *screen)
{
    if (!screen)
        return;
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.screen == screen)
            return;
    }
    ScreenController *covered = m_entries.isEmpty() ? nullptr : m_entries.last().screen.data();
    if (covered)
        covered->viewWillDisappear();
    ScreenView *view = ViewFactory::create(screen);
    // The bar widgets live in the bar only while their view is on top.
    for (QWidget *widget : {view->navigationLeftWidget(), view->navigationRightWidget()}) {
        if (widget)
            widget->hide();
    }
    m_stack->addWidget(view);
    m_entries.append({screen, view});
    connect(screen, &ScreenController::changed, this, [this, view] {
        if (view != topView())
            return;
        m_title->setText(view->controller()->title());
        m_back->setVisible(backAllowed());
    });
    screen->viewWillAppear();
    m_stack->setCurrentWidget(view);
    updateNavigationBar();
    view->setFocus();
    screen->viewDidAppear();
}

void MainWindow::pop()
{
    if (m_entries.size() <= 1)
        return;
    Entry top = m_entries.takeLast();
    const Entry &below = m_entries.last();
    if (top.screen)
        top.screen->viewWillDisappear();
    if (below.screen)
        below.screen->viewWillAppear();
    m_stack->setCurrentWidget(below.view);
    updateNavigationBar();
    m_stack->removeWidget(top.view);
    top.view->deleteLater();
    if (top.screen) {
        disconnect(top.screen, nullptr, this, nullptr);
        top.screen->viewDidDisappear();
    }
    if (below.screen)
        below.screen->viewDidAppear();
}

void MainWindow::goBack()
{
    if (!backAllowed() || !m_presented.isEmpty())
        return;
    pop();
}

void MainWindow::present(ScreenController *screen)
{
    if (!screen)
        return;
    auto *dialog = new QDialog(this);
    dialog->setWindowTitle(screen->title());
    dialog->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ViewFactory::create(screen));
    dialog->resize(width() - 40, height() - 80);
    m_presented.append({screen, dialog});
    // Closing the dialog by hand is a dismissal too.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        for (const Presented &entry : std::as_const(m_presented)) {
            if (entry.dialog == dialog) {
                dismiss(entry.screen);
                return;
            }
        }
    });
    screen->viewWillAppear();
    dialog->open();
    screen->viewDidAppear();
}

void MainWindow::dismiss(ScreenController *screen)
{
    for (qsizetype i = 0; i < m_presented.size(); ++i) {
        if (m_presented[i].screen != screen)
            continue;
        Presented entry = m_presented.takeAt(i);
        disconnect(entry.dialog, nullptr, this, nullptr);
        entry.dialog->hide();
        entry.dialog->deleteLater();
        if (screen) {
            screen->viewWillDisappear();
            screen->viewDidDisappear();
        }
        return;
    }
}

void MainWindow::showAlert(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, this);
    box.addButton(L("KOK"), QMessageBox::AcceptRole);
    box.exec();
}

int MainWindow::ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, this);
    QList<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i) {
        QPushButton *button = box.addButton(buttons[i], i == cancelIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        added.append(button);
        if (i == cancelIndex)
            box.setEscapeButton(button);
        else if (!box.defaultButton())
            box.setDefaultButton(button);
    }
    box.exec();
    const int index = int(added.indexOf(box.clickedButton()));
    return index < 0 ? cancelIndex : index;
}

std::optional<QString> MainWindow::askText(const QString &title, const QString &text, const QString &initial)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(this, title, text, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

std::optional<QString> MainWindow::askTextEntry(const QString &title, const QString &text, const TextEntry &entry)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setInputMode(QInputDialog::TextInput);
    if (!entry.okButton.isEmpty())
        dialog.setOkButtonText(entry.okButton);
    if (!entry.cancelButton.isEmpty())
        dialog.setCancelButtonText(entry.cancelButton);
    if (auto *field = dialog.findChild<QLineEdit *>())
        field->setPlaceholderText(entry.placeholder);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void MainWindow::showProgress(const QString &title, bool animated)
{
    closeProgress();
    m_progress = new ProgressSheet(title, animated, this);
    m_progress->open();
}

void MainWindow::setProgressTitle(const QString &title)
{
    if (m_progress)
        m_progress->setTitle(title);
}

void MainWindow::setProgress(double value)
{
    if (m_progress && !m_progress->setValue(value))
        m_progress = nullptr;
}

void MainWindow::closeProgress()
{
    if (m_progress)
        m_progress->finish();
    m_progress = nullptr;
}

void MainWindow::setLocked(bool locked)
{
    m_locked = locked;
    m_stack->setEnabled(!locked);
    updateNavigationBar();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    Operations &operations = Operations::instance();
    if (operations.runningWorkers() == 0) {
        QMainWindow::closeEvent(event);
        return;
    }
    event->ignore();
    if (m_closeWhenIdle)
        return;
    m_closeWhenIdle = true;
    connect(
        &operations, &Operations::workersEnded, this,
        [this] {
            m_closeWhenIdle = false;
            // Out of the worker's end: its screen may still be tidying up.
            QTimer::singleShot(0, this, &QWidget::close);
        },
        Qt::SingleShotConnection);
}

void MainWindow::openUrl(const QUrl &url)
{
    QDesktopServices::openUrl(url);
}

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
