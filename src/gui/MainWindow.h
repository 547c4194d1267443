#pragma once

#include "shell/UiHost.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

class ProgressSheet;
class QDialog;
class QHBoxLayout;
class QLabel;
class QStackedWidget;
class QToolButton;
class ScreenView;

// The one window: a navigation bar (Back, title, the screen's own buttons) over a stack of
// screen views. It is the UiHost of the program: alerts, questions, progress sheets, pushes
// and presented screens, the lock.
class MainWindow : public QMainWindow, public UiHost {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The screens on the stack, root first.
    QList<ScreenController *> screens() const;
    ScreenView *topView() const;
    bool isLocked() const { return m_locked; }
    ProgressSheet *progressSheet() const;

    void showAlert(const QString &title, const QString &text) override;
    int ask(const QString &title, const QString &text, const QStringList &buttons, int cancelIndex) override;
    std::optional<QString> askText(const QString &title, const QString &text, const QString &initial) override;
    std::optional<QString> askTextEntry(const QString &title, const QString &text, const TextEntry &entry) override;
    void showProgress(const QString &title, bool animated) override;
    void setProgressTitle(const QString &title) override;
    void setProgress(double value) override;
    void closeProgress() override;
    void push(ScreenController *screen) override;
    void pop() override;
    void present(ScreenController *screen) override;
    void dismiss(ScreenController *screen) override;
    void setLocked(bool locked) override;
    void openUrl(const QUrl &url) override;

    // Brings the window forward (a second start handed something over).
    void bringToFront();

protected:
    // While a worker runs the window stays open and closes when the last one has ended, so no
    // worker calls a destroyed window and no save is cut off half-way.
    void closeEvent(QCloseEvent *event) override;

private:
    struct Entry {
        QPointer<ScreenController> screen;
        ScreenView *view;
    };
    struct Presented {
        QPointer<ScreenController> screen;
        QDialog *dialog;
    };

    void updateNavigationBar();
    void goBack();
    void parkNavigationWidgets();
    bool backAllowed() const;

    QStackedWidget *m_stack;
    QToolButton *m_back;
    QLabel *m_title;
    QHBoxLayout *m_leftSlot;
    QHBoxLayout *m_rightSlot;
    QWidget *m_leftBox;
    QWidget *m_rightBox;
    QList<Entry> m_entries;
    QList<Presented> m_presented;
    QPointer<ProgressSheet> m_progress;
    bool m_locked = false;
    bool m_closeWhenIdle = false;
    // The top view's navigation-bar widgets, lent to the bar while it is on top.
    QPointer<ScreenView> m_barOwner;
    QPointer<QWidget> m_shownLeft;
    QPointer<QWidget> m_shownRight;
};
