#include "FTChooserView.h"

#include "SectionList.h"
#include "transfer/FTChooserViewControler.h"

#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kRowHeight = 40;

QStyle::StandardPixmap iconFor(int tag)
{
    using Tag = FTChooserViewControler::Tag;
    switch (tag) {
    case Tag::TagWebServer: return QStyle::SP_DriveNetIcon;
    case Tag::TagBluetoothServer: return QStyle::SP_ComputerIcon;
    case Tag::TagSendEmail: return QStyle::SP_FileDialogContentsView;
    case Tag::TagDropboxDownload:
    case Tag::TagGoogleDownload: return QStyle::SP_ArrowDown;
    case Tag::TagDropboxUpload:
    case Tag::TagGoogleUpload: return QStyle::SP_ArrowUp;
    default: return QStyle::SP_ArrowForward;
    }
}
}

FTChooserView::FTChooserView(FTChooserViewControler *controller)
    : ScreenView(controller), m_chooser(controller), m_list(new SectionList(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    refresh();
}

void FTChooserView::refresh()
{
    m_list->clear();
    for (const auto &section : m_chooser->sections()) {
        m_list->addSection(section.header);
        for (const auto &row : section.rows) {
            QPushButton *button = m_list->addRow(row.tag, row.text, [chooser = m_chooser, tag = row.tag] { chooser->selectRow(tag); });
            QFont bold = button->font();
            bold.setBold(true);
            button->setFont(bold);
            button->setIcon(style()->standardIcon(iconFor(row.tag)));
            button->setMinimumHeight(kRowHeight);
        }
    }
}
