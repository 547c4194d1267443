#pragma once

#include "MergeData.h"
#include "selection/MergeReceiver.h"
#include "shell/ScreenController.h"

#include <QByteArray>
#include <QHash>
#include <QVariantMap>
#include <QList>
#include <QPointer>
#include <QString>

class NewPersonEditor;

// The merge screen (22): the values of two people side by side, section by section. The user
// ticks what the merged person keeps; "Next" builds that person and opens the new-person
// editor, whose save adds it to the address book. The two merged people stay as they are.
class MergeViewController : public ScreenController, public MergeReceiver {
    Q_OBJECT
public:
    enum Background { SharedBackground, Contact1Background, Contact2Background };

    explicit MergeViewController(QObject *parent = nullptr);

    void setContact1AndContact2(const ABContactRef &contact1, const ABContactRef &contact2) override;
    const QList<ABContactRef> &contacts() const { return _contacts; }

    QString title() const override;
    QString backButtonTitle() const;
    QString nextButtonTitle() const;
    const QList<MergeSection> &sections() const { return _tvData; }
    MergeDataRef rowAt(int section, int row) const;
    QString footerText() const;

    // What a row shows.
    QString mainText(const MergeData &row) const;
    QString detailText(const MergeData &row) const;
    // Long addresses are drawn smaller, on up to three lines.
    bool usesSmallFont(const MergeData &row) const;
    // The picture bytes of a picture row (empty otherwise).
    QByteArray pictureData(const MergeData &row) const;
    static Background background(const MergeData &row);
    // The background colour as 0xRRGGBB.
    static unsigned backgroundRgb(const MergeData &row);

    // The selection rule, before a tap flips a row: false when the row's partner (the other
    // person's value of the same single-value property) is ticked; otherwise fades or restores
    // the partner and answers true.
    bool willSelectRow(int section, int row);
    // A tap: the rule, then the tick flips. Answers false when the tap was refused.
    bool didSelectRow(int section, int row);
    // The row a single-value row excludes, or -1.
    int partnerRow(int section, int row) const;

    // The person made of the ticked values, not yet in the address book.
    ABContactRef buildMergedContact() const;
    // "Next": builds the merged person and asks the view to open the editor on it.
    void previewButtonPressed();
    NewPersonEditor *editor() const;
    // The editor ended: saved closes this screen and tells the user; cancelled keeps it.
    void editorFinished(bool saved);

    void viewWillAppear() override;

Q_SIGNALS:
    void rowChanged(int section, int row);
    void editorRequested(NewPersonEditor *editor);

private:
    void addSingleRows(QList<MergeDataRef> &rows, int property) const;
    void addPictureRows(QList<MergeDataRef> &rows) const;
    void addMultiValueRows(QList<MergeDataRef> &rows, int property) const;
    bool showsSocialProfiles() const;

    const QVariantMap &entryOf(const MergeData &row) const;

    QList<ABContactRef> _contacts;
    // Each person's multi-value entries by property, read once.
    QList<QHash<int, QList<QVariantMap>>> m_entries;
    QList<MergeSection> _tvData;
    QPointer<NewPersonEditor> m_editor;
};
