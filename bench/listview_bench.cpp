// The contact selection list's view over 100,000 rows: opening it, ticking all, one search
// keystroke and a jump from the side index, each until the window has been drawn again.
// Goal: every step well under 100 ms, so the list stays responsive.

#include "benchsupport.h"

#include "gui/ABEntriesView.h"
#include "gui/SectionIndexBar.h"
#include "selection/ABEntriesViewController.h"

#include <QApplication>

#include <memory>

namespace {

constexpr int kRows = 100000;

EntryDataRef makeRow(int index)
{
    static const char *const firsts[] = {"Ana", "Bruno", "Carla", "Diogo", "Eva", "Filipe", "Greta", "Hugo"};
    static const char *const lasts[] = {"Almeida", "Brandão", "Costa", "Duarte", "Esteves", "Ferreira", "Gomes",
                                        "Jardim", "Lopes", "Nunes", "Quintela", "Sousa", "Teixeira", "Vieira"};
    auto row = std::make_shared<EntryData>();
    // Sorted by name, as the loader hands rows over.
    const int last = index * int(std::size(lasts)) / kRows;
    row->name = QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(lasts[last]), QString::fromUtf8(firsts[index % 8])).arg(index);
    row->lastname = QString::fromUtf8(lasts[last]);
    row->recID = index + 1;
    return row;
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ABEntriesViewController list;
    for (int index = 0; index < kRows; ++index)
        list.addRow(makeRow(index));
    list.internalLoadData(0);

    std::unique_ptr<ABEntriesView> view;
    {
        BenchTimer timer(QStringLiteral("open the list view and draw it"));
        view = std::make_unique<ABEntriesView>(&list);
        view->resize(480, 720);
        view->show();
        QCoreApplication::processEvents();
        view->grab();
        timer.report(kRows);
    }
    {
        BenchTimer timer(QStringLiteral("untick all and redraw"));
        list.selectNone();
        QCoreApplication::processEvents();
        view->grab();
        timer.report(kRows);
    }
    {
        BenchTimer timer(QStringLiteral("one search keystroke and redraw"));
        list.searchTextChanged(QStringLiteral("ana"));
        QCoreApplication::processEvents();
        view->grab();
        timer.report(kRows);
    }
    list.searchReturnPressed();
    QCoreApplication::processEvents();
    {
        auto *index = view->findChild<SectionIndexBar *>();
        BenchTimer timer(QStringLiteral("side index jump to the last section and redraw"));
        Q_EMIT index->sectionPicked(int(index->titles().size()) - 1);
        QCoreApplication::processEvents();
        view->grab();
        timer.report(1);
    }
    return 0;
}
