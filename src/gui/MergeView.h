#pragma once

#include "ScreenView.h"

#include <QList>

class MergeViewController;
class NewPersonEditor;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QToolButton;

// The merge screen: the sections of both people's values with their ticks and colours, the
// footer text, and "Next", which opens the new-person editor.
class MergeView : public ScreenView {
    Q_OBJECT
public:
    explicit MergeView(MergeViewController *controller);

    QWidget *navigationRightWidget() override;

protected:
    void refresh() override;

private:
    void fillItem(QListWidgetItem *item, int section, int row);
    void updateRow(int section, int row);
    void openEditor(NewPersonEditor *editor);

    MergeViewController *m_merge;
    QListWidget *m_list;
    QLabel *m_footer;
    QToolButton *m_next;
    QList<int> m_sectionStarts; // the list line of each section's header
};
