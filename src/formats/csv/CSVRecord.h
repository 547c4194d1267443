#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// One row of a CSV file: its field texts in column order, and the parser's column names at
// the time the row was read. Field i belongs to the column named names[i]; a row with fewer
// fields than there are names has no entry for the missing columns.
struct CSVRecord {
    QStringList fields;
    QStringList names;

    int count() const { return int(fields.size()); }
    // True when the row has a field for the column.
    bool contains(const QString &name) const;
    // The field of a column, a null text when the row has none.
    QString value(const QString &name) const;
    // The row as a map from column name to field text.
    QMap<QString, QString> toMap() const;
};
