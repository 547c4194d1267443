// The gathering of an export's bytes: pieces of every size come out whole and in order, and a
// device that stops taking bytes is reported and written to no more.

#include "formats/common/ExportOutput.h"

#include <QBuffer>
#include <QTest>

class ExportOutputTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void piecesOfEverySizeComeOutInOrder();
    void aFailedWriteIsReportedAndTheRestDropped();
};

namespace {

// Takes the first `room` bytes, then fails every write.
class ShortDevice : public QIODevice {
public:
    explicit ShortDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    qint64 taken = 0;
    int writes = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        ++writes;
        if (taken + size > m_room)
            return -1;
        taken += size;
        return size;
    }

private:
    qint64 m_room;
};

} // namespace

void ExportOutputTest::piecesOfEverySizeComeOutInOrder()
{
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    QByteArray expected;
    {
        ExportOutput out(device);
        // Small pieces across several blocks, an empty one, pieces as large as a block and
        // larger, and the single characters and numbers writers use.
        for (int i = 0; i < 40000; ++i) {
            const QByteArray piece = QByteArray::number(i) + ';';
            out << QByteArrayView(piece);
            expected += piece;
        }
        out << QByteArrayView();
        for (qsizetype size : {qsizetype(256 * 1024 - 1), qsizetype(256 * 1024), qsizetype(700 * 1024), qsizetype(3)}) {
            const QByteArray piece(size, char('a' + size % 26));
            out << QByteArrayView(piece) << '\n' << -42;
            expected += piece + "\n-42";
        }
        QVERIFY(out.flush());
        QVERIFY(!out.hasFailed());
        out << QByteArrayView("after the flush");
        expected += "after the flush";
    } // the rest goes at the end
    QCOMPARE(device.data().size(), expected.size());
    QCOMPARE(device.data(), expected);
}

void ExportOutputTest::aFailedWriteIsReportedAndTheRestDropped()
{
    ShortDevice device(300 * 1024);
    ExportOutput out(device);
    const QByteArray piece(1000, 'x');
    for (int i = 0; i < 1000; ++i)
        out << QByteArrayView(piece);
    QVERIFY(out.hasFailed());
    const int writesAtFailure = device.writes;
    out << QByteArrayView(QByteArray(600 * 1024, 'y'));
    QVERIFY(!out.flush());
    QCOMPARE(device.writes, writesAtFailure);
    QVERIFY(device.taken <= 300 * 1024);
}

QTEST_GUILESS_MAIN(ExportOutputTest)
#include "export_output_test.moc"
