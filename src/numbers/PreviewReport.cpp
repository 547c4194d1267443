#include "PreviewReport.h"

#include "platform/Localization.h"

namespace {
// The page is written in pieces of this size rather than per row.
constexpr qsizetype kFlushSize = 64 * 1024;

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}
}

bool PreviewReport::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    write("<html>\n<head>\n<meta name = \"format-detection\" content = \"telephone=no\">\n</head>\n<body>\n");
    return true;
}

void PreviewReport::writeCount(int people)
{
    write("<center>\n<h3>" + QByteArray::number(people) + ' ' + L("KfmtRecords").toUtf8() + "</h3>\n</center>\n");
    write("<table width=\"100%\">\n");
}

void PreviewReport::writePersonHeader(const QString &name)
{
    write("<tr bgcolor=\"lightgray\"><td colspan=\"2\">\n");
    write(name.isEmpty() ? QByteArray("&nbsp;") : "<b>" + escaped(name) + "</b>");
    write("</tr>\n");
}

void PreviewReport::writeChanged(const QString &stored, const QByteArray &result)
{
    write("<tr><td>" + escaped(stored) + " <td><font color=\"red\">" + escaped(QString::fromUtf8(result)) + "</font></tr>\n");
    ++m_rows;
}

void PreviewReport::writeUnchanged(const QString &stored)
{
    write("<tr><td>" + escaped(stored) + " <td><font color=\"green\">" + L("KfmtNoChange").toUtf8() + "</font></tr>\n");
    ++m_rows;
}

void PreviewReport::writeNoChangeNotice()
{
    write("<tr><td align=\"center\"><font color=\"green\">&lt;&lt;&lt; " + L("KfmtNoChange").toUtf8()
          + " &gt;&gt;&gt;</font></tr>");
}

void PreviewReport::writeTail()
{
    write("</table>\n&nbsp;<br>&nbsp;<br>&nbsp;<br>&nbsp;<br>\n</body>\n</html>\n");
}

void PreviewReport::write(const QByteArray &bytes)
{
    m_buffer += bytes;
    if (m_buffer.size() < kFlushSize)
        return;
    m_failed = m_failed || m_file.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
}

bool PreviewReport::close(QString *error)
{
    m_failed = m_failed || m_file.write(m_buffer) != m_buffer.size() || !m_file.flush();
    m_buffer.clear();
    if (m_failed && error)
        *error = m_file.errorString();
    m_file.close();
    return !m_failed;
}
