#include "TestEnvironment.h"

#include "ProgramRuns.h"

#include "addressbook/ABSources.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QDir>
#include <QProcess>

TestEnvironment::TestEnvironment()
{
    // Also when a test runs outside ctest: nothing goes to the Avahi daemon or to Bluetooth.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", VENNARO_NO_SYSTEM_BUS);
    QDir().mkpath(documents());
    Documents::setPath(documents());
    ABAddressBook::setDefaultPath(addressBookPath());
    AppData::sharedInstance().resetToDefaults();
    ABSources::reset();
}

TestEnvironment::~TestEnvironment()
{
    ABSources::reset();
    AppData::sharedInstance().resetToDefaults();
}

QString TestEnvironment::documents() const
{
    return m_dir.path() + QStringLiteral("/Documents");
}

QString TestEnvironment::addressBookPath() const
{
    return m_dir.path() + QStringLiteral("/addressbook.db");
}

ABAddressBookRef TestEnvironment::open() const
{
    return ABAddressBook::open(addressBookPath());
}

QString TestEnvironment::dataPath(const QString &name)
{
    return qEnvironmentVariable("VENNARO_TEST_DATA") + QLatin1Char('/') + name;
}

int TestEnvironment::runProgram(const QStringList &arguments, QString *out, QString *err, const QByteArray &input) const
{
    QProcess process;
    ProgramRuns::start(*this, process, arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
