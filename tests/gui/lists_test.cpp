#include "support/WindowFixture.h"
#include "addressbook/DemoSeeder.h"
#include "formats/csv/CSVimport.h"
#include "gui/EntryDelegate.h"
#include "gui/EntryListModel.h"
#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "gui/SectionIndexBar.h"
#include "gui/TwoLineDelegate.h"
#include "importing/CSVHeaderDelegate.h"
#include "importing/CSVHeaderViewController.h"
#include "selection/ABEntriesViewController.h"
#include "shell/ScreenRegistry.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// The list screens in the window offscreen: the contact selection list, the CSV column
// mapping and the file list, clicked through as a user would.
class ListsTest : public QObject {
    Q_OBJECT
private:
    WindowFixture *m_fixture = nullptr;

    struct ImportRecorder : CSVHeaderDelegate {
        int begun = 0;
        void beginImportCSV() override { ++begun; }
    };

    ScreenView *top() const { return m_fixture->top(); }
    QToolButton *navigationButton() const { return m_fixture->findInWindow<QToolButton>(QStringLiteral("navigationButton")); }
    QToolButton *backButton() const { return m_fixture->findInWindow<QToolButton>(QStringLiteral("backButton")); }
    static void clickLine(QAbstractItemView *list, int line, QPoint at = QPoint())
    {
        const QModelIndex index = list->model()->index(line, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.isNull() ? list->visualRect(index).center() : at);
        WindowFixture::settle();
    }
    void seed(int count)
    {
        DemoSeeder::Options options;
        options.count = count;
        QVERIFY(DemoSeeder::seed(*m_fixture->env().open(), options));
    }
    // Opens the selection list in a mode and waits until it has loaded.
    ABEntriesViewController *openSelectionList(int mode, QListView *&list)
    {
        auto *screen = getScreen<ABEntriesViewController>(ABEntriesScreen);
        screen->setMode(mode);
        screen->setSearchCriteria(ABEntriesViewController::ShowAllContacts);
        m_fixture->window()->push(screen);
        WindowFixture::settle();
        if (!m_fixture->find<QProgressBar>(QStringLiteral("busyIndicator"))->isVisible())
            qWarning("no busy indicator while loading");
        if (!QTest::qWaitFor([screen] { return !screen->isBusy(); }))
            qWarning("the list did not load");
        WindowFixture::settle();
        list = m_fixture->find<QListView>(QStringLiteral("entries"));
        return screen;
    }

private Q_SLOTS:
    void init() { m_fixture = new WindowFixture; }
    void cleanup()
    {
        delete m_fixture;
        m_fixture = nullptr;
    }

    void selectionListTicksSearchesAndJumps()
    {
        seed(60);
        QListView *list = nullptr;
        ABEntriesViewController *screen = openSelectionList(ABEntriesViewController::ModeExport, list);
        QVERIFY(!m_fixture->find<QProgressBar>(QStringLiteral("busyIndicator"))->isVisible());
        QCOMPARE(screen->rows().size(), 60);
        QCOMPARE(list->model()->rowCount(), 60 + screen->sectionCount());
        QCOMPARE(navigationButton()->text(), QStringLiteral("Export"));
        QVERIFY(navigationButton()->isVisible() && navigationButton()->isEnabled());
        QCOMPARE(m_fixture->find<QPushButton>(QStringLiteral("footer3"))->text(), QStringLiteral("Delete Selected"));
        auto *index = m_fixture->find<SectionIndexBar>(QStringLiteral("sectionIndex"));
        QCOMPARE(index->titles(), screen->sectionIndexTitles());
        m_fixture->screenshot(QStringLiteral("selection-list"));

        // Line 0 is the first header; line 1 the first row, which starts ticked.
        QVERIFY(list->model()->index(0, 0).data(EntryListModel::HeaderRole).toBool());
        clickLine(list, 1);
        QVERIFY(!screen->rows().first()->selected);
        QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        clickLine(list, 0); // a header is not a row
        QCOMPARE(screen->selectedCount(), 59);
        m_fixture->find<QPushButton>(QStringLiteral("footer2"))->click();
        WindowFixture::settle();
        QCOMPARE(screen->selectedCount(), 0);
        QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

        // A section picked in the side index comes to the top of the list.
        const int middle = int(index->titles().size()) / 2;
        QTest::mouseClick(index, Qt::LeftButton, {}, QPoint(index->width() / 2, (2 * middle + 1) * index->height() / (2 * int(index->titles().size()))));
        auto *model = static_cast<EntryListModel *>(list->model());
        QCOMPARE(list->indexAt(QPoint(4, 4)).row(), model->lineOfSection(middle));

        // Searching lists the hits without headers or index; Enter leaves the search.
        const QString name = screen->rows().at(7)->name;
        auto *search = m_fixture->find<QLineEdit>(QStringLiteral("searchBar"));
        search->setFocus();
        QTest::keyClicks(search, name);
        WindowFixture::settle();
        QVERIFY(screen->isSearching());
        QCOMPARE(list->model()->rowCount(), screen->searchListOfIndexes().size());
        QVERIFY(!index->isVisible());
        const int hit = int(screen->searchListOfIndexes().indexOf(7));
        QVERIFY(hit >= 0);
        clickLine(list, hit);
        QVERIFY(screen->rows().at(7)->selected);
        m_fixture->screenshot(QStringLiteral("selection-search"));
        QTest::keyClick(search, Qt::Key_Return);
        WindowFixture::settle();
        QVERIFY(search->text().isEmpty());
        QCOMPARE(list->model()->rowCount(), 60 + screen->sectionCount());
        QVERIFY(index->isVisible());
        QCOMPARE(screen->selectedCount(), 1);

        // Space ticks the current row too.
        list->setFocus();
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(screen->rows().first()->selected);
    }

    void mergeModeShowsThePersonAndTheQRModeHasNoTicks()
    {
        seed(12);
        QListView *list = nullptr;
        ABEntriesViewController *screen = openSelectionList(ABEntriesViewController::ModeMerge, list);
        QCOMPARE(navigationButton()->text(), QStringLiteral("Next"));
        QCOMPARE(screen->selectedCount(), 0);
        const QRect line = list->visualRect(list->model()->index(1, 0));
        clickLine(list, 1, EntryDelegate::detailButtonRect(line).center());
        QCOMPARE(screen->selectedCount(), 0); // the detail button does not tick
        QDialog *person = nullptr;
        QTRY_VERIFY((person = m_fixture->window()->findChild<QDialog *>(QStringLiteral("personView"))) && person->isVisible());
        const QString text = person->findChild<QPlainTextEdit *>(QStringLiteral("personText"))->toPlainText();
        QVERIFY2(text.startsWith(screen->rows().first()->name) || text.contains(screen->rows().first()->name), qPrintable(text));
        QCOMPARE(screen->editingRecID(), screen->rows().first()->recID);
        m_fixture->screenshot(QStringLiteral("selection-person"));
        person->accept();
        m_fixture->window()->pop();
        WindowFixture::settle();

        // The main menu's QR row opens the list in its own mode: no ticks, no buttons.
        m_fixture->find<QPushButton>(QStringLiteral("row11"))->click();
        WindowFixture::settle();
        screen = getScreen<ABEntriesViewController>(ABEntriesScreen);
        QTRY_VERIFY(!screen->isBusy());
        WindowFixture::settle();
        list = m_fixture->find<QListView>(QStringLiteral("entries"));
        QCOMPARE(screen->mode(), int(ABEntriesViewController::ModeQRCode));
        QVERIFY(!list->model()->index(1, 0).data(Qt::CheckStateRole).isValid());
        QVERIFY(!navigationButton()->isVisible());
        QVERIFY(!m_fixture->find<QPushButton>(QStringLiteral("footer1"))->isVisible());
    }

    void csvMappingPicksAFieldAndImports()
    {
        const QString path = m_fixture->env().documents() + QStringLiteral("/people.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("firstname,phone,colour\nAnn,123,red\n");
        file.close();
        auto importer = CSVimport::fromFile(path, 0);
        QVERIFY(importer);
        ImportRecorder recorder;
        auto *screen = getScreen<CSVHeaderViewController>(CSVHeaderScreen);
        screen->setDelegate(&recorder);
        screen->setImporter(*importer);
        m_fixture->window()->push(screen);
        WindowFixture::settle();

        auto *rows = m_fixture->find<QListWidget>(QStringLiteral("rows"));
        auto *footer = m_fixture->find<QLabel>(QStringLiteral("sectionFooter"));
        QCOMPARE(rows->count(), 3);
        QCOMPARE(footer->text(), QStringLiteral("2 of 3 mapped"));
        QCOMPARE(rows->item(1)->data(TwoLineDelegate::DetailRole).toString(), QStringLiteral("mapped to: Phone"));
        QCOMPARE(rows->item(1)->data(TwoLineDelegate::DetailAccentRole).toString(), QStringLiteral("Phone"));
        QCOMPARE(rows->item(2)->data(TwoLineDelegate::DetailRole).toString(), QStringLiteral("not mapped"));
        QCOMPARE(navigationButton()->text(), QStringLiteral("Import"));
        QVERIFY(m_fixture->find<QPushButton>(QStringLiteral("guessButton"))->isVisible());
        m_fixture->screenshot(QStringLiteral("csv-columns"));

        // The field list: no way back but Cancel or a field.
        clickLine(rows, 2);
        QCOMPARE(rows->count(), CSVimport::fields().size());
        QVERIFY(!backButton()->isVisible());
        QCOMPARE(navigationButton()->text(), QStringLiteral("Cancel"));
        QVERIFY(!footer->isVisible());
        QVERIFY(m_fixture->find<QLabel>(QStringLiteral("sectionHeader"))->text().contains(QStringLiteral("\"colour\"")));
        QTest::keyClick(m_fixture->window(), Qt::Key_Escape);
        WindowFixture::settle();
        QCOMPARE(top()->controller()->screenNumber(), int(CSVHeaderScreen));
        m_fixture->screenshot(QStringLiteral("csv-fields"));
        clickLine(rows, int(CSVimport::fields().indexOf(QStringLiteral("Note"))));
        QCOMPARE(rows->count(), 3);
        QVERIFY(backButton()->isVisible());
        QCOMPARE(rows->currentRow(), 2);
        QCOMPARE(footer->text(), QStringLiteral("3 of 3 mapped"));

        navigationButton()->click();
        WindowFixture::settle();
        QCOMPARE(recorder.begun, 1);
        QCOMPARE(top()->controller()->screenNumber(), int(MainScreen));
    }

    void fileListColoursAndDeletes()
    {
        const QString documents = m_fixture->env().documents();
        for (const char *name : {"a.vcf", "b.txt", "c.csv"}) {
            QFile file(documents + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("firstname,lastname\nAnn,Lee\n");
        }
        m_fixture->find<QPushButton>(QStringLiteral("row2"))->click(); // Import
        WindowFixture::settle();
        QCOMPARE(top()->controller()->screenNumber(), int(FileChooserScreen));
        auto *files = m_fixture->find<QListWidget>(QStringLiteral("files"));
        QCOMPARE(files->count(), 3);
        const auto rowNamed = [files](const QString &name) {
            const auto found = files->findItems(name, Qt::MatchExactly);
            return found.isEmpty() ? nullptr : found.first();
        };
        QVERIFY(rowNamed(QStringLiteral("a.vcf")) && rowNamed(QStringLiteral("b.txt")));
        QCOMPARE(rowNamed(QStringLiteral("a.vcf"))->foreground().color(), TwoLineDelegate::accentColor());
        QCOMPARE(rowNamed(QStringLiteral("b.txt"))->foreground().color(), QColor(Qt::gray));
        QVERIFY(rowNamed(QStringLiteral("b.txt"))->data(TwoLineDelegate::DetailRole).toString().contains(QStringLiteral("bytes")));
        QVERIFY(m_fixture->find<QLabel>(QStringLiteral("sectionFooter"))->text().contains(QStringLiteral(".VCF")));
        m_fixture->screenshot(QStringLiteral("file-list"));

        // Edit puts a Delete button on every row; a click elsewhere on a row does nothing then.
        QCOMPARE(navigationButton()->text(), QStringLiteral("Edit"));
        navigationButton()->click();
        QCOMPARE(navigationButton()->text(), QStringLiteral("Done"));
        m_fixture->screenshot(QStringLiteral("file-list-editing"));
        const int txt = files->row(rowNamed(QStringLiteral("b.txt")));
        const QRect line = files->visualItemRect(files->item(txt));
        clickLine(files, txt, QPoint(line.left() + 60, line.center().y()));
        QCOMPARE(files->count(), 3);
        auto *delegate = static_cast<TwoLineDelegate *>(files->itemDelegate());
        clickLine(files, txt, delegate->rowButtonRect(line, files->fontMetrics()).center());
        QCOMPARE(files->count(), 2);
        QVERIFY(!QFile::exists(documents + QStringLiteral("/b.txt")));
        navigationButton()->click();

        // A CSV file goes straight to the column mapping.
        clickLine(files, files->row(rowNamed(QStringLiteral("c.csv"))));
        QTRY_COMPARE(top()->controller()->screenNumber(), int(CSVHeaderScreen));
        QCOMPARE(m_fixture->find<QListWidget>(QStringLiteral("rows"))->count(), 2);
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
