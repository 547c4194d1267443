#include "Localization.h"

#include <QFile>
#include <QHash>
#include <QMutex>

namespace {

QMutex g_mutex;
QString g_language = QStringLiteral("en");
QHash<QString, QHash<QByteArray, QString>> g_tables;

QString unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            QChar next = text[++i];
            out += next == QLatin1Char('n') ? QChar(u'\n') : next == QLatin1Char('t') ? QChar(u'\t') : next;
        } else {
            out += c;
        }
    }
    return out;
}

const QHash<QByteArray, QString> &table(const QString &language)
{
    auto it = g_tables.find(language);
    if (it != g_tables.end())
        return *it;
    QHash<QByteArray, QString> entries;
    QFile file(QStringLiteral(":/strings/%1.tsv").arg(language));
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            int tab = line.indexOf('\t');
            if (line.isEmpty() || line.startsWith('#') || tab <= 0)
                continue;
            entries.insert(line.left(tab), unescape(QString::fromUtf8(line.mid(tab + 1))));
        }
    }
    return *g_tables.insert(language, entries);
}

} // namespace

QString Localization::text(const char *key)
{
    QMutexLocker lock(&g_mutex);
    const QByteArray k(key);
    const auto &current = table(g_language);
    auto it = current.find(k);
    if (it != current.end())
        return *it;
    const auto &english = table(QStringLiteral("en"));
    return english.value(k, QString::fromLatin1(key));
}

void Localization::setLanguage(const QString &language)
{
    QMutexLocker lock(&g_mutex);
    g_language = language;
}

QString Localization::language()
{
    QMutexLocker lock(&g_mutex);
    return g_language;
}

QStringList Localization::keys(const QString &language)
{
    QMutexLocker lock(&g_mutex);
    QStringList result;
    for (const QByteArray &key : table(language).keys())
        result.append(QString::fromLatin1(key));
    return result;
}
