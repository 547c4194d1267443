#pragma once

#include "addressbook/EntryData.h"
#include "ExportDataReceiver.h"
#include "ExportFormats.h"
#include "shell/ScreenController.h"

#include <QString>
#include <QStringList>

// The export screen (screen 8): the user names the file and picks one of seven formats for the
// rows the selection list hands over; the matching writer runs on a worker thread behind the
// progress sheet, with the screen locked, and the result is reported in an alert.
class ExportFileViewController : public ScreenController, public ExportDataReceiver {
    Q_OBJECT
public:
    // The format segments, in the order shown.
    enum Format {
        BIN = ExportFormats::BIN,
        LDIF = ExportFormats::LDIF,
        VCF = ExportFormats::VCF,
        HTML = ExportFormats::HTML,
        TXT = ExportFormats::TXT,
        CSV = ExportFormats::CSV,
        WIN = ExportFormats::WIN,
    };
    static constexpr int kFormatCount = ExportFormats::kCount;

    explicit ExportFileViewController(QObject *parent = nullptr);

    QString title() const override;

    // ExportDataReceiver: the selection list's rows, shared with it.
    void setData(const EntryList &rows) override;
    const EntryList &rows() const { return _eData; }
    // "Records to export:  N" with the number of ticked rows.
    QString recordsText() const;
    // "UTF-8" or "ISO 8859-1", by the character set setting.
    QString charSetText() const;

    // The file name field, without extension.
    QString textFile() const { return _textFile; }
    void setTextFile(const QString &name) { _textFile = name; }

    // The format choice: segment texts ("BIN", "LDIF" …), the chosen one's title and note, and
    // which extra controls it shows.
    static QStringList formatSegments();
    int format() const { return _format; }
    void setFormat(int index);
    QString formatTitle() const;
    QString formatNote() const;
    bool showsSchema() const { return _format == LDIF; }
    bool showsSingleFileSwitch() const { return _format == VCF; }

    // LDIF: the schema (0 Vennaro, 1 Generic, 2 Mozilla) and the optional DN suffix.
    static QStringList schemaSegments();
    int schema() const { return _schema; }
    void setSchema(int index);
    QString textDN() const { return _textDN; }
    void setTextDN(const QString &suffix) { _textDN = suffix; }

    // VCF: one file for all cards (on), or a zip of one file per card (off).
    bool singleVCard() const { return _singleVCard; }
    void setSingleVCard(bool on);

    // The Export button: checks the name, locks the screen and starts the writer.
    void buttonPressed();
    // While a writer runs.
    bool isBusy() const { return _busy; }

    // The extension of the file a format makes ("zip" for a VCF export of separate files).
    QString extensionOf(int format) const;

private:
    using Outcome = ExportFormats::Outcome;
    using Failure = ExportFormats::Failure;

    void doneAB(const Outcome &outcome, const QString &name);
    int selectedCount() const;

    EntryList _eData;
    QString _textFile;
    int _format = BIN;
    int _schema = 0;
    QString _textDN;
    bool _singleVCard = true;
    int extension = BIN; // the format of the running export, for its message
    bool _busy = false;
};
