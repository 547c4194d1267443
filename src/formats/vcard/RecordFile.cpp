#include "RecordFile.h"

#include "platform/DevLog.h"

#include <QFile>

namespace {

// Up to this many namesakes are told apart by underscores alone.
constexpr int kUnderscoreNamesakes = 3;

bool isUnsafe(QChar c)
{
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() < 0x20 || c.unicode() == 0x7f || refused.contains(c);
}

} // namespace

RecordFile::RecordFile(QString folder, QString extension) : m_folder(std::move(folder)), m_extension(std::move(extension)) {}

QString RecordFile::safeFileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        if (isUnsafe(c))
            c = QLatin1Char('-');
    }
    for (qsizetype i = 0; i < safe.size() && safe[i] == QLatin1Char('.'); ++i)
        safe[i] = QLatin1Char('-');
    return safe;
}

QString RecordFile::candidate(const QString &stem, int namesake) const
{
    const QString suffix = namesake <= kUnderscoreNamesakes ? QString(namesake, QLatin1Char('_'))
                                                            : QLatin1Char('_') + QString::number(namesake);
    QString shortened = stem;
    // Whole characters go, from the end, until the name fits.
    while (!shortened.isEmpty() && QFile::encodeName(shortened + suffix + m_extension).size() > kMaxNameBytes) {
        shortened.chop(1);
        if (!shortened.isEmpty() && shortened.back().isHighSurrogate())
            shortened.chop(1);
    }
    return m_folder + QLatin1Char('/') + shortened + suffix + m_extension;
}

QString RecordFile::freePath(const QString &name)
{
    if (name.isEmpty())
        return QString();
    const QString stem = safeFileName(name);
    int namesake = m_nextNamesake.value(stem, 0);
    QString path = candidate(stem, namesake);
    while (QFile::exists(path))
        path = candidate(stem, ++namesake);
    m_nextNamesake.insert(stem, namesake + 1);
    return path;
}

bool RecordFile::write(const QString &name, const QByteArray &bytes, const char *operation)
{
    QFile file(freePath(name));
    if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        DevLog::log(QStringLiteral("%1 Error creating file %2/%3%4")
                        .arg(QLatin1String(operation), m_folder, name, m_extension));
        m_failed = true;
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written && file.error() == QFileDevice::NoError) {
        ++m_written;
        return true;
    }
    DevLog::log(QStringLiteral("%1 Error writing file %2: %3").arg(QLatin1String(operation), file.fileName(), file.errorString()));
    file.remove();
    m_failed = true;
    return false;
}
