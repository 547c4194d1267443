#include "CSVRecord.h"

QString CSVRecord::value(const QString &name) const
{
    qsizetype index = names.indexOf(name);
    return index >= 0 && index < fields.size() ? fields.at(index) : QString();
}

bool CSVRecord::contains(const QString &name) const
{
    qsizetype index = names.indexOf(name);
    return index >= 0 && index < fields.size();
}

QMap<QString, QString> CSVRecord::toMap() const
{
    QMap<QString, QString> map;
    for (qsizetype i = 0; i < fields.size() && i < names.size(); ++i)
        map.insert(names.at(i), fields.at(i));
    return map;
}
