#pragma once

#include "addressbook/EntryData.h"

#include <QAbstractListModel>
#include <QList>

#include <memory>

// The contact selection list as one flat column: a header line before each titled section,
// then its rows. Everything is read from the controller when drawn, so a list of any length
// costs only its section table here.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { HeaderRole = Qt::UserRole + 1 };

    // What the model reads of a sectioned list screen (the selection list, the group members).
    class Source {
    public:
        virtual ~Source() = default;
        virtual int sectionCount() const = 0;
        virtual QString sectionTitle(int section) const = 0;
        virtual int rowCount(int section) const = 0;
        virtual EntryDataRef rowAt(int section, int row) const = 0;
        virtual bool showsTicks() const = 0;
        virtual bool isSearching() const = 0;
        virtual const QList<int> &searchListOfIndexes() const = 0;
        virtual const QList<int> &sectionOffsets() const = 0;
    };
    template <typename List>
    class SourceOf : public Source {
    public:
        explicit SourceOf(List *list) : m(list) {}
        int sectionCount() const override { return m->sectionCount(); }
        QString sectionTitle(int section) const override { return m->sectionTitle(section); }
        int rowCount(int section) const override { return m->rowCount(section); }
        EntryDataRef rowAt(int section, int row) const override { return m->rowAt(section, row); }
        bool showsTicks() const override { return m->showsTicks(); }
        bool isSearching() const override { return m->isSearching(); }
        const QList<int> &searchListOfIndexes() const override { return m->searchListOfIndexes(); }
        const QList<int> &sectionOffsets() const override { return m->sectionOffsets(); }

    private:
        List *m;
    };

    template <typename List>
    explicit EntryListModel(List *list, QObject *parent = nullptr) : EntryListModel(std::make_unique<SourceOf<List>>(list), parent) {}
    EntryListModel(std::unique_ptr<Source> source, QObject *parent);

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

    std::unique_ptr<Source> m_list;
    Shape m_shape;
};
