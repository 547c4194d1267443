#include "platform/OrderedBatches.h"

#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A batch that counts the batches alive and notes the thread that lets it go.
struct Tracked {
    static inline std::atomic<int> alive{0};
    static inline std::atomic<int> mostAlive{0};
    static inline std::atomic<int> freedElsewhere{0};
    static inline std::thread::id caller;

    std::vector<int> numbers;
    bool owned = false;

    explicit Tracked(std::vector<int> values) : numbers(std::move(values)), owned(true)
    {
        int now = ++alive;
        for (int most = mostAlive; now > most && !mostAlive.compare_exchange_weak(most, now);) {
        }
    }
    Tracked(Tracked &&other) noexcept : numbers(std::move(other.numbers)), owned(std::exchange(other.owned, false)) {}
    Tracked &operator=(Tracked &&other) noexcept
    {
        release();
        numbers = std::move(other.numbers);
        owned = std::exchange(other.owned, false);
        return *this;
    }
    ~Tracked() { release(); }

    void release()
    {
        if (!owned)
            return;
        owned = false;
        --alive;
        if (std::this_thread::get_id() != caller)
            ++freedElsewhere;
    }
};

// The squares of 0…count-1 through a pipeline of `helpers`, `size` numbers a batch.
std::vector<int> squares(int helpers, int count, int size)
{
    Tracked::caller = std::this_thread::get_id();
    std::vector<int> delivered;
    OrderedBatches<Tracked, std::vector<int>> pipeline(
        helpers,
        [](const Tracked &batch) {
            std::vector<int> out;
            for (int n : batch.numbers) {
                // Uneven work, so that later batches often finish first.
                if (n % 7 == 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                out.push_back(n * n);
            }
            return out;
        },
        [&](std::vector<int> &&out) { delivered.insert(delivered.end(), out.begin(), out.end()); });
    std::vector<int> batch;
    for (int n = 0; n < count; ++n) {
        batch.push_back(n);
        if (int(batch.size()) == size)
            pipeline.put(Tracked(std::exchange(batch, {})));
    }
    pipeline.put(Tracked(std::move(batch)));
    pipeline.finish();
    return delivered;
}

} // namespace

class OrderedBatchesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Results come back in the order the batches went in, the same with helpers as without;
    // only a few batches are alive at once, and each is let go on the caller's thread.
    void resultsKeepTheirOrderAndBatchesStayFew()
    {
        std::vector<int> expected;
        for (int n = 0; n < 5000; ++n)
            expected.push_back(n * n);
        for (int helpers : {0, 1, 2, 3}) {
            Tracked::mostAlive = 0;
            Tracked::freedElsewhere = 0;
            QCOMPARE(squares(helpers, 5000, 37), expected);
            QCOMPARE(Tracked::alive.load(), 0);
            QVERIFY2(Tracked::mostAlive <= 2 * helpers + 3, qPrintable(QString::number(Tracked::mostAlive)));
            QCOMPARE(Tracked::freedElsewhere.load(), 0);
        }
    }

    // A pipeline left with batches in it (a failed run) stops its helpers and drops them.
    void unfinishedBatchesAreDropped()
    {
        Tracked::caller = std::this_thread::get_id();
        std::atomic<int> worked{0};
        int delivered = 0;
        {
            OrderedBatches<Tracked, int> pipeline(
                2, [&](const Tracked &) { return ++worked; }, [&](int &&) { ++delivered; });
            for (int i = 0; i < 4; ++i)
                pipeline.put(Tracked({i}));
        }
        QCOMPARE(Tracked::alive.load(), 0);
        QCOMPARE(delivered, 0);
        QVERIFY(worked <= 4);
    }

    // Helpers run a little below the caller, which keeps its own priority.
    void helpersGiveWayToTheCaller()
    {
        auto niceOfThisThread = [] { return getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid))); };
        const int callerNice = niceOfThisThread();
        std::atomic<int> helperNice{callerNice};
        {
            OrderedBatches<int, int> pipeline(
                1, [&](const int &) { return helperNice = niceOfThisThread(), 0; }, [](int &&) {});
            pipeline.put(0);
            pipeline.finish();
        }
        QCOMPARE(niceOfThisThread(), callerNice);
        QVERIFY2(helperNice > callerNice || callerNice == 19, qPrintable(QString::number(helperNice)));
    }
};

QTEST_GUILESS_MAIN(OrderedBatchesTest)
#include "ordered_batches_test.moc"
