#pragma once

#include "ScreenController.h"

#include <QList>
#include <QString>

// The settings screen (screen 9). Every control writes its setting at once; the settings file
// is saved each time the screen disappears.
class SettingsViewController : public ScreenController {
    Q_OBJECT
public:
    enum class Kind { Row, Switch, TwoChoice, Slider };
    enum Tag {
        TagMarker = 1,
        TagImportFilters = 2,
        TagExportFilters = 3,
        TagBTpktSize = 4,
        TagExportLog = 5,
        TagConfirmImport = 6,
        TagCharset = 7,
        TagReuseFilename = 8,
        TagLanguage = 9,
        TagDropbox = 10,
        TagGoogleDrive = 12,
        TagGmail = 13,
        TagSources = 15,
        TagUnlinkDropBox = 16,
        TagAnnounce = 17,
        TagPeerPort = 18,
    };
    struct SettingsRow {
        int tag;
        Kind kind;
        QString text;
    };

    explicit SettingsViewController(QObject *parent = nullptr);

    QString title() const override;
    void viewWillAppear() override;
    void viewDidDisappear() override;

    const QList<QList<SettingsRow>> &sections() const { return m_sections; }
    // The two texts of the charset control.
    static QStringList charSetChoices();

    // The value a control shows: 0/1 for a switch, the charset, the packet size.
    int value(int tag) const;
    void setSwitch(int tag, bool on);
    void setCharSet(int index);
    // The slider (5 … 30) moved: its whole part is stored and the row text follows.
    void sliderMoved(double position);
    QString sliderText() const;
    static constexpr int kMinBlockSize = 5;
    static constexpr int kMaxBlockSize = 30;

    void selectRow(int tag);

    // Whether the packet-size row is offered (it goes with the mail composer).
    static bool mailComposerAvailable();

    int btblocksize = 30;

private:
    void buildSections();
    void openFilters(int mode);
    void removeRow(int tag);
    void setRowText(int tag, const QString &text);
    void askPeerPort();
    static QString peerPortText();

    QList<QList<SettingsRow>> m_sections;
};
