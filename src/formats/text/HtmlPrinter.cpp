#include "HtmlPrinter.h"

#include "formats/common/TextConversion.h"
#include "platform/DeviceFacts.h"

QByteArray HtmlPrinter::escape(const QByteArray &text)
{
    qsizetype special = 0;
    for (char c : text)
        special += c == '&' || c == '<' || c == '>' || c == '"';
    if (special == 0)
        return text;
    QByteArray escaped;
    escaped.reserve(text.size() + special * 5);
    for (char c : text) {
        switch (c) {
        case '&': escaped.append("&amp;"); break;
        case '<': escaped.append("&lt;"); break;
        case '>': escaped.append("&gt;"); break;
        case '"': escaped.append("&quot;"); break;
        default: escaped.append(c);
        }
    }
    return escaped;
}

void HtmlPrinter::prologue()
{
    m_out << "<html>\n<head>\n<META http-equiv=\"Content-Type\" content=\"text/html; charset="
          << (m_context.charSet == 0 ? "utf-8" : "iso-8859-1") << "\">\n";
    m_out << "<title>" << TextConversion::convert(DeviceFacts::model(), m_context.charSet).value_or(QByteArray())
          << " Address Book</title>\n</head>\n";
    m_out << (printLayout() ? "<body text=\"#000000\">\n" : "<body bgcolor=\"#ffffcc\" text=\"#000000\">\n");
    m_out << "<h1>iPhone Address Book</h1>\n<h3>" << m_context.recordCount << " records</h3>\n"
          << "<table  border=\"0\" cellspacing=\"0\" cellpadding=\"2\">\n";
}

void HtmlPrinter::epilogue()
{
    m_out << "</table>\n</body>\n</html>\n";
}

void HtmlPrinter::row(const QByteArray &name, const QByteArray &value)
{
    m_out << "<tr><td>" << name << "</td><td>" << value << "</td></tr>\n";
}

void HtmlPrinter::entryHead(const EntryHead &head)
{
    m_out << "<tr>\n" << (printLayout() ? "<td bgcolor=\"lightgray\" colspan=\"2\">" : "<td bgcolor=\"tan\" colspan=\"2\">");
    if (head.compositeName)
        m_out << "<b>" << escape(*head.compositeName) << "</b>";
    m_out << "</td>\n</tr>\n";
    if (head.photo) {
        m_out << "<tr><td>Photo</td><td>\n<img src=\"data:image/jpeg;base64," << *head.photo
              << "\" width=\"100\" height=\"100\">\n</td></tr>\n";
    }
    nameValue(head.firstNameProperty, head.firstName);
    nameValue(head.middleNameProperty, head.middleName);
    nameValue(head.lastNameProperty, head.lastName);
}

void HtmlPrinter::nameValue(const ExportText &name, const ExportText &value)
{
    if (name && value)
        row(escape(*name), escape(*value));
}

void HtmlPrinter::labelledValue(const ExportText &propertyName, const ExportText &label, const ExportText &value)
{
    if (propertyName && label && value)
        m_out << "<tr><td>" << escape(*propertyName) << ' ' << escape(*label) << "</td><td>" << escape(*value) << "</td></tr>\n";
}

void HtmlPrinter::instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                                 const ExportText &userName)
{
    if (!propertyName || !label || !userName)
        return;
    m_out << "<tr><td>" << escape(*propertyName) << ' ' << escape(*label) << "</td><td>" << escape(*userName);
    // An entry without a service shows the user name alone.
    if (service)
        m_out << " (" << escape(*service) << ')';
    m_out << "</td></tr>\n";
}

void HtmlPrinter::note(const ExportText &propertyName, const ExportText &note)
{
    // Escaped first, so that the line breaks added here stay markup.
    if (propertyName && note)
        row(escape(*propertyName), replaceLineEnds(escape(*note), "<br>"));
}

void HtmlPrinter::addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                              const ExportText &value, int, int part)
{
    if (!propertyName || !label || !partName || !value)
        return;
    m_out << "<tr><td>" << escape(*propertyName) << ' ' << escape(*label) << ' ' << escape(*partName) << "</td><td>"
          << (part == 0 ? replaceLineEnds(escape(*value), "<br>") : escape(*value)) << "</td></tr>\n";
}

void HtmlPrinter::endRecord()
{
    m_out << "<tr><td>&nbsp;</td></tr>\n";
}
