#pragma once

#include <QAbstractListModel>
#include <QList>

class ABEntriesViewController;

// The contact selection list as one flat column: a header line before each titled section,
// then its rows. Everything is read from the controller when drawn, so a list of any length
// costs only its section table here.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { HeaderRole = Qt::UserRole + 1 };

    explicit EntryListModel(ABEntriesViewController *list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    struct Position {
        int section = -1;
        int row = -1; // -1: the section's header line
    };
    Position position(int line) const;
    // The first line of a section (its header when it has one).
    int lineOfSection(int section) const;

    // The controller changed: redraws in place when the shape stayed, else starts over.
    void reload();
    // One tick changed (a position in the controller's rows).
    void rowChanged(int dataIndex);

private:
    struct Shape {
        QList<int> starts;    // first line of each section
        QList<bool> headers;  // whether each section has a header line
        int lines = 0;
        bool operator==(const Shape &) const = default;
    };
    Shape buildShape() const;

    ABEntriesViewController *m_list;
    Shape m_shape;
};
