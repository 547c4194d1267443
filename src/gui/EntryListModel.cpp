#include "EntryListModel.h"

#include <QColor>

#include <algorithm>

EntryListModel::EntryListModel(std::unique_ptr<Source> source, QObject *parent)
    : QAbstractListModel(parent), m_list(std::move(source)), m_shape(buildShape())
{
}

EntryListModel::Shape EntryListModel::buildShape() const
{
    Shape shape;
    const int sections = m_list->sectionCount();
    shape.starts.reserve(sections);
    shape.headers.reserve(sections);
    for (int section = 0; section < sections; ++section) {
        const bool header = !m_list->sectionTitle(section).isEmpty();
        shape.starts.append(shape.lines);
        shape.headers.append(header);
        shape.lines += m_list->rowCount(section) + (header ? 1 : 0);
    }
    return shape;
}

int EntryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shape.lines;
}

EntryListModel::Position EntryListModel::position(int line) const
{
    if (line < 0 || line >= m_shape.lines)
        return {};
    const auto it = std::upper_bound(m_shape.starts.cbegin(), m_shape.starts.cend(), line);
    const int section = int(it - m_shape.starts.cbegin()) - 1;
    const int row = line - m_shape.starts.at(section) - (m_shape.headers.at(section) ? 1 : 0);
    return {section, row};
}

int EntryListModel::lineOfSection(int section) const
{
    return section >= 0 && section < m_shape.starts.size() ? m_shape.starts.at(section) : -1;
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex &index) const
{
    if (position(index.row()).row < 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    const Position at = position(index.row());
    if (at.section < 0)
        return {};
    if (at.row < 0) {
        if (role == Qt::DisplayRole)
            return m_list->sectionTitle(at.section);
        return role == HeaderRole ? QVariant(true) : QVariant();
    }
    // The controller may have moved on before this redraw: a missing row draws nothing.
    const EntryDataRef row = m_list->rowAt(at.section, at.row);
    if (!row)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row->name;
    case Qt::CheckStateRole:
        if (!m_list->showsTicks())
            return {};
        return int(row->selected ? Qt::Checked : Qt::Unchecked);
    case HeaderRole:
        return false;
    case Qt::ForegroundRole:
        // People of an Exchange account cannot join groups: drawn in grey.
        return row->sourceType == 1 ? QVariant(QColor(Qt::gray)) : QVariant();
    default:
        return {};
    }
}

void EntryListModel::reload()
{
    Shape shape = buildShape();
    if (shape == m_shape) {
        if (m_shape.lines > 0)
            Q_EMIT dataChanged(index(0), index(m_shape.lines - 1));
        return;
    }
    beginResetModel();
    m_shape = std::move(shape);
    endResetModel();
}

void EntryListModel::rowChanged(int dataIndex)
{
    int line = -1;
    if (m_list->isSearching()) {
        line = int(m_list->searchListOfIndexes().indexOf(dataIndex));
    } else {
        const QList<int> &offsets = m_list->sectionOffsets();
        const auto it = std::upper_bound(offsets.cbegin(), offsets.cend(), dataIndex);
        const int section = int(it - offsets.cbegin()) - 1;
        if (section >= 0 && section < m_shape.starts.size())
            line = m_shape.starts.at(section) + (m_shape.headers.at(section) ? 1 : 0) + dataIndex - offsets.at(section);
    }
    if (line >= 0 && line < m_shape.lines)
        Q_EMIT dataChanged(index(line), index(line));
}
