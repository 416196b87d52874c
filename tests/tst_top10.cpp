// The results window: both rankings over the recorded games, and how the window is laid out.
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {

struct Game {
    QString name;
    int time;
    int attempts;
};

// Records the games as finished games, one after another.
void play(const QList<Game> &games)
{
    for (const Game &g : games) {
        FormMain->PlayerName = g.name;
        FormMain->Time = g.time;
        FormMain->Attempts = g.attempts;
        FormMain->FinishGame();
    }
}

QList<Game> numbered(int count, int (*time)(int), int (*attempts)(int))
{
    QList<Game> games;
    for (int i = 1; i <= count; ++i)
        games << Game{QStringLiteral("G%1").arg(i), time(i), attempts(i)};
    return games;
}

QStringList names(const QList<int> &indices, const QList<Game> &games)
{
    QStringList result;
    for (int i : indices)
        result << games.at(i).name;
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<Game>)

class TestTop10 : public GameTest {
    Q_OBJECT
private slots:

    void rankings_data();
    void rankings();
    void nextFunctionsWalkEveryGameOnce();
    void windowLayout();
    void boxesRefuseTyping();
    void okClosesTheRealModalWindow();
};

void TestTop10::rankings_data()
{
    // The old scans skipped ties, never found 0 or 1200, and fell back to slot 0 instead.
    QTest::addColumn<QList<Game>>("games");
    QTest::addColumn<QStringList>("byTime");
    QTest::addColumn<QStringList>("byAttempts");
    const QList<Game> distinct{{"A", 30, 5}, {"B", 10, 9}, {"C", 20, 1}};
    QTest::newRow("distinct") << distinct << QStringList{"B", "C", "A"} << QStringList{"C", "A", "B"};
    QTest::newRow("one game") << QList<Game>{{"Solo", 1200, 0}} << QStringList{"Solo"} << QStringList{"Solo"};
    QTest::newRow("tied time, Ana first")
        << QList<Game>{{"Ana", 100, 20}, {"Bob", 100, 25}} << QStringList{"Ana", "Bob"} << QStringList{"Ana", "Bob"};
    QTest::newRow("tied time, Bob first")
        << QList<Game>{{"Bob", 100, 25}, {"Ana", 100, 20}} << QStringList{"Bob", "Ana"} << QStringList{"Ana", "Bob"};
    QTest::newRow("time-out after Ana")
        << QList<Game>{{"Ana", 200, 9}, {"Bob", 1200, 9}} << QStringList{"Ana", "Bob"} << QStringList{"Ana", "Bob"};
    QTest::newRow("time-out before Ana")
        << QList<Game>{{"Bob", 1200, 9}, {"Ana", 200, 9}} << QStringList{"Ana", "Bob"} << QStringList{"Bob", "Ana"};
    QTest::newRow("10, 1200, 500, 500")
        << QList<Game>{{"S0", 10, 4}, {"S1", 1200, 3}, {"S2", 500, 2}, {"S3", 500, 1}}
        << QStringList{"S0", "S2", "S3", "S1"} << QStringList{"S3", "S2", "S1", "S0"};
    QTest::newRow("zero time and attempts")
        << QList<Game>{{"Y", 50, 3}, {"Z", 0, 0}} << QStringList{"Z", "Y"} << QStringList{"Z", "Y"};
    QTest::newRow("empty name") << QList<Game>{{"", 5, 5}, {"X", 6, 6}} << QStringList{"", "X"} << QStringList{"", "X"};
    QTest::newRow("all equal")
        << QList<Game>{{"P", 7, 7}, {"Q", 7, 7}, {"R", 7, 7}} << QStringList{"P", "Q", "R"} << QStringList{"P", "Q", "R"};

    const QList<Game> eleven = numbered(11, [](int i) { return 100 - i; }, [](int i) { return i; });
    QTest::newRow("eleven games") << eleven << names({10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, eleven)
                                  << names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, eleven);
    const QList<Game> twelve = numbered(12, [](int i) { return 100 - i; }, [](int i) { return i; });
    QTest::newRow("twelve games, eleven rows") << twelve << names({11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, twelve)
                                               << names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, twelve);
    // Twenty-one games: the first one was shifted out of the full table.
    const QList<Game> overflow = numbered(21, [](int i) { return i; }, [](int i) { return 100 - i; });
    QTest::newRow("twenty-one games") << overflow << names({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, overflow)
                                      << names({20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10}, overflow);
}

void TestTop10::rankings()
{
    QFETCH(QList<Game>, games);
    QFETCH(QStringList, byTime);
    QFETCH(QStringList, byAttempts);
    play(games);
    QCOMPARE(seen().count(FormTop10), games.size());
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), byTime);
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByAttempts), byAttempts);
    // Each row's numbers belong to the game named in it.
    const auto check = [&games](TMemo *names, TMemo *times, TMemo *attempts) {
        QCOMPARE(linesOf(times).size(), linesOf(names).size());
        QCOMPARE(linesOf(attempts).size(), linesOf(names).size());
        for (int r = 0; r < linesOf(names).size(); ++r) {
            const auto g = std::find_if(games.rbegin(), games.rend(),
                                        [&](const Game &x) { return x.name == linesOf(names)[r]; });
            QCOMPARE(linesOf(times)[r], QString::number(g->time));
            QCOMPARE(linesOf(attempts)[r], QString::number(g->attempts));
        }
    };
    check(FormTop10->mmoTop10NamesByTime, FormTop10->mmoTop10TimesByTime, FormTop10->mmoTop10AttemptsByTime);
    check(FormTop10->mmoTop10NamesByAttempts, FormTop10->mmoTop10TimesByAttempts, FormTop10->mmoTop10AttemptsByAttempts);
    // A later show starts from empty boxes.
    FormMain->FormDblClick();
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), byTime);
}

void TestTop10::nextFunctionsWalkEveryGameOnce()
{
    play(numbered(20, [](int i) { return (i * 7) % 5 * 300; }, [](int i) { return 30000 + i % 3; }));
    for (auto next : {NextByTime, NextByAttempts}) {
        QList<int> order;
        int value = std::numeric_limits<int>::min(), slot = -1;
        for (int k; (k = next(value, slot)) >= 0;) {
            order << k;
            value = next == NextByTime ? FormMain->ResultTimes[k] : FormMain->ResultAttempts[k];
            slot = k;
        }
        QCOMPARE(order.size(), 20);
        QCOMPARE(QSet<int>(order.begin(), order.end()).size(), 20);
    }
}

void TestTop10::windowLayout()
{
    QCOMPARE(FormTop10->windowTitle(), QStringLiteral("Top 10"));
    QCOMPARE(FormTop10->size(), QSize(436, 458));
    QCOMPARE(FormTop10->pos(), QPoint(419, 105));
    QVERIFY(FormTop10->windowFlags() & Qt::WindowMinMaxButtonsHint);
    QVERIFY(FormTop10->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(FormTop10->minimumSize() != FormTop10->maximumSize());
    struct Expected {
        const char *name;
        QRect geometry;
        QString text;
    };
    const QList<Expected> labels{
        {"Label1", {8, 8, 238, 36}, "Top 10 (by Time):"}, {"Label3", {8, 48, 28, 13}, "Name"},
        {"Label4", {224, 48, 23, 13}, "Time"},             {"Label5", {320, 48, 41, 13}, "Attempts"},
        {"Label2", {8, 208, 285, 36}, "Top 10 (by Attempts):"}, {"Label6", {8, 248, 28, 13}, "Name"},
        {"Label7", {224, 248, 23, 13}, "Time"},            {"Label8", {320, 248, 41, 13}, "Attempts"},
    };
    for (const Expected &e : labels) {
        auto *label = FormTop10->findChild<QLabel *>(QLatin1String(e.name));
        QVERIFY2(label, e.name);
        QCOMPARE(label->text(), e.text);
        const QString wrong = misplaced(label, e.geometry);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }
    for (QLabel *headline : {FormTop10->Label1, FormTop10->Label2}) {
        const QFontInfo info(headline->font());
        QVERIFY2(QStringList({"Times New Roman", "Liberation Serif"}).contains(info.family()), qPrintable(info.family()));
        QCOMPARE(info.pixelSize(), 32);
        QVERIFY(info.bold());
        QVERIFY(info.italic());
        QCOMPARE(headline->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }
    const QList<Expected> memos{
        {"mmoTop10NamesByTime", {8, 64, 217, 137}, {}},     {"mmoTop10TimesByTime", {224, 64, 97, 137}, {}},
        {"mmoTop10AttemptsByTime", {320, 64, 97, 137}, {}}, {"mmoTop10NamesByAttempts", {8, 264, 217, 137}, {}},
        {"mmoTop10TimesByAttempts", {224, 264, 97, 137}, {}}, {"mmoTop10AttemptsByAttempts", {320, 264, 97, 137}, {}},
    };
    for (const Expected &e : memos) {
        auto *memo = FormTop10->findChild<TMemo *>(QLatin1String(e.name));
        QVERIFY2(memo, e.name);
        QCOMPARE(memo->geometry(), e.geometry);
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(QFontInfo(memo->font()).pixelSize(), 11);
    }
    QCOMPARE(FormTop10->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(FormTop10->Button1->geometry(), QRect(256, 416, 171, 33));
    QVERIFY(!FormTop10->Button1->isDefault());
    QVERIFY(!FormTop10->Button1->autoDefault());
    // Tab order: the first names box, OK, the second names box, then the number columns.
    QList<QWidget *> order;
    for (QWidget *w = FormTop10->mmoTop10NamesByTime; order.size() < 7; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    QCOMPARE(order, (QList<QWidget *>{FormTop10->mmoTop10NamesByTime, FormTop10->Button1,
                                      FormTop10->mmoTop10NamesByAttempts, FormTop10->mmoTop10TimesByTime,
                                      FormTop10->mmoTop10AttemptsByTime, FormTop10->mmoTop10TimesByAttempts,
                                      FormTop10->mmoTop10AttemptsByAttempts}));
}

void TestTop10::boxesRefuseTyping()
{
    play({{"Ana", 10, 2}});
    FormTop10->show();
    QVERIFY(refusesTyping(FormTop10->mmoTop10NamesByTime));
    QCOMPARE(FormTop10->mmoTop10NamesByTime->toPlainText(), QStringLiteral("Ana"));
    // Escape does not close a window without a cancel button.
    QTest::keyClick(FormTop10, Qt::Key_Escape);
    QVERIFY(FormTop10->isVisible());
}

void TestTop10::okClosesTheRealModalWindow()
{
    TestHooks::Modal = nullptr;
    FormMain->PlayerName = QStringLiteral("Ana");
    QTimer::singleShot(0, FormTop10, [] {
        QVERIFY(FormTop10->isVisible());
        QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), QStringList{"Ana"});
        QTest::mouseClick(FormTop10->Button1, Qt::LeftButton);
    });
    FormMain->FinishGame();
    QVERIFY(!FormTop10->isVisible());
    QCOMPARE(FormMain->ResultCount, 1);
}

DUPLORA_TEST_MAIN(TestTop10)
#include "tst_top10.moc"
