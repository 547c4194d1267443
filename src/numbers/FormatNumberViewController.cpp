#include "FormatNumberViewController.h"

#include "SavedFormatMasks.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

FormatNumberViewController::FormatNumberViewController(QObject *parent) : NumberPassScreen(FormatNumberScreen, parent)
{
    loadFormats();
}

QString FormatNumberViewController::title() const
{
    return L("KFormatNumbers");
}

QString FormatNumberViewController::helpText() const
{
    return L("KFmtNote");
}

void FormatNumberViewController::setMask(int index, const QString &mask)
{
    if (index >= 0 && index < int(m_masks.masks.size()))
        m_masks.masks[size_t(index)] = mask;
}

void FormatNumberViewController::setShowAll(bool on)
{
    m_showAll = on;
}

void FormatNumberViewController::loadFormats()
{
    m_masks = SavedFormatMasks::load();
    Q_EMIT changed();
}

void FormatNumberViewController::saveFormats()
{
    SavedFormatMasks::save(m_masks);
}

void FormatNumberViewController::buttonPressed(int tag)
{
    if (tag == DoneTag) {
        done();
        return;
    }
    if ((tag != PreviewTag && tag != CommitTag) || state() != State::Editing)
        return;
    if (m_masks.allEmpty()) {
        logMissingText("-[FormatNumberViewController buttonPressed:]", tag);
        showError(L("KMissingFmtMask"));
        return;
    }
    saveFormats();
    startPass(m_masks.transform(), tag, m_showAll, false);
}
