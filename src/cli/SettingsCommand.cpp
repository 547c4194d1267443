// `vennaro settings`: show the settings, or set one by its file key.

#include "Command.h"
#include "shell/AppData.h"

namespace {

int runSettings(const Arguments &args)
{
    AppData &settings = AppData::sharedInstance();
    const QStringList &words = args.positional;
    if (words.isEmpty()) {
        for (const QString &key : AppData::keys())
            Commands::out() << key << '\t' << settings.valueByKey(key) << '\n';
        return 0;
    }
    if (words.size() != 3 || words[0] != QLatin1String("set"))
        return Commands::fail(QStringLiteral("settings: use `vennaro settings` or `vennaro settings set KEY VALUE`"));
    if (!AppData::keys().contains(words[1]))
        return Commands::fail(QStringLiteral("settings: unknown key \"%1\"; the keys are %2")
                                  .arg(words[1], AppData::keys().join(QStringLiteral(", "))));
    if (!settings.setByKey(words[1], words[2]))
        return Commands::fail(QStringLiteral("settings: %1 needs a whole number, not \"%2\"").arg(words[1], words[2]));
    if (!settings.saveSettings())
        return Commands::fail(QStringLiteral("settings: cannot write %1").arg(settings.settingsPath()));
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("settings"), QStringLiteral("show or change the settings"),
                 QStringLiteral("Usage: vennaro settings\n       vennaro settings set KEY VALUE\n\n"
                                "Keys: Marker ExportFlags ImportFlags ConfirmImport BTblockSize PeerPort CharSet\n"
                                "ReuseFilename EnableDropbox EnableMobileme EnableGoogleDocs EnableGmail\n"
                                "EnableSources (whole numbers; masks may be written 0x…) and LastFilename\n"
                                "EmailDropbox EmailMobileme EmailGoogle QRChartURL ContactsServer (texts;\n"
                                "QRChartURL empty: QR images are made on this machine, else POSTed to that\n"
                                "chart service; ContactsServer: the contacts server of the last sign-in)."),
                 {},
                 {},
                 runSettings});
