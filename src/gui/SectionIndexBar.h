#pragma once

#include <QStringList>
#include <QWidget>

// The thin column of section titles beside a long list: pressing or dragging over a title
// asks for its section. When the titles do not fit, every n-th one is drawn but every one
// can still be reached.
class SectionIndexBar : public QWidget {
    Q_OBJECT
public:
    explicit SectionIndexBar(QWidget *parent = nullptr);

    void setTitles(const QStringList &titles);
    const QStringList &titles() const { return m_titles; }
    // The section under a height in the bar; -1 without titles.
    int sectionAt(int y) const;
    QSize sizeHint() const override;

Q_SIGNALS:
    void sectionPicked(int section);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int lineHeight() const;
    void pick(int y);

    QStringList m_titles;
    int m_lastPicked = -1;
};
