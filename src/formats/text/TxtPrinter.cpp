#include "TxtPrinter.h"

namespace {
const QByteArray kDoubleRule = QByteArray(45, '=') + '\n';
const QByteArray kSingleRule = QByteArray(45, '-') + '\n';
}

void TxtPrinter::prologue()
{
    m_out << m_context.recordCount << " records\n";
}

void TxtPrinter::beginRecord()
{
    m_out << '\n';
}

void TxtPrinter::entryHead(const EntryHead &head)
{
    m_out << kDoubleRule;
    if (head.compositeName)
        m_out << *head.compositeName << '\n';
    m_out << kSingleRule;
    nameValue(head.firstNameProperty, head.firstName);
    nameValue(head.middleNameProperty, head.middleName);
    nameValue(head.lastNameProperty, head.lastName);
}

void TxtPrinter::nameValue(const ExportText &name, const ExportText &value)
{
    if (name && value)
        m_out << *name << ": " << *value << '\n';
}

void TxtPrinter::labelledValue(const ExportText &propertyName, const ExportText &label, const ExportText &value)
{
    if (propertyName && label && value)
        m_out << *propertyName << ' ' << *label << ": " << *value << '\n';
}

void TxtPrinter::instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                                const ExportText &userName)
{
    if (!propertyName || !label || !userName)
        return;
    m_out << *propertyName << ' ' << *label << ": " << *userName;
    // An entry without a service shows the user name alone.
    if (service)
        m_out << " (" << *service << ')';
    m_out << '\n';
}

void TxtPrinter::addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                             const ExportText &value, int, int)
{
    if (propertyName && label && partName && value)
        m_out << *propertyName << ' ' << *label << ' ' << *partName << ": " << *value << '\n';
}
