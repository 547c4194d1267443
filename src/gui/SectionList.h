#pragma once

#include <QScrollArea>
#include <QString>

#include <functional>

class QCheckBox;
class QPushButton;
class QVBoxLayout;

// A grouped list of rows, the way the screens lay out menus and settings: sections with an
// optional header and footer, holding plain rows (buttons), switches and rows that carry
// another control. Every row widget is named "row<tag>" so tests and views can find it.
// clear() may be called from inside a row's own click handler.
class SectionList : public QScrollArea {
    Q_OBJECT
public:
    explicit SectionList(QWidget *parent = nullptr);

    void clear();
    void addSection(const QString &header = QString(), const QString &footer = QString());
    QPushButton *addRow(int tag, const QString &text, std::function<void()> onClick, bool disclosure = true);
    QCheckBox *addSwitch(int tag, const QString &text, bool on, std::function<void(bool)> onToggle);
    // A row with a label and a control on its right (or below it with `below`).
    QWidget *addControlRow(int tag, const QString &text, QWidget *control, bool below = false);
    // A widget under the last section (a footer button).
    void addTrailingWidget(QWidget *widget);

    static QString rowName(int tag) { return QStringLiteral("row%1").arg(tag); }

private:
    QWidget *m_content = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QVBoxLayout *m_section = nullptr;
};
