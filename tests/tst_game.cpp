// The rules of a game: turning and matching, the clock, the background reshuffle, the end.
#include "TestSupport.h"

#include <QFile>

#include <fstream>

namespace {

// Card numbers of every pair, read from the tags, in pair-id order.
QList<QList<int>> pairsOnBoard()
{
    QList<QList<int>> pairs;
    for (int k = 1; k <= TFormMain::PairCount; ++k)
        pairs << cardsOfPair(k);
    return pairs;
}

int faceUpCount()
{
    int up = 0;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        up += FormMain->FindImage(n)->FaceUp();
    return up;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value)
            return value;
    return -1;
}

} // namespace

class TestGame : public GameTest {
    Q_OBJECT
private slots:

    void wholeGame();
    void mismatchTurnsDownAtTheNextClick();
    void faceUpClicks_data();
    void faceUpClicks();
    void clickOnTheMismatchOpensTheNextPair_data();
    void clickOnTheMismatchOpensTheNextPair();
    void clicksWithoutAGameDoNothing();
    void clockAndTimeOut();
    void reshuffle_data();
    void reshuffle();
    void reshuffleRestsBelowTenCards();
    void doubleClickEnds_data();
    void doubleClickEnds();
    void fullTableShiftsTheOldestOut();
    void failedReshuffleLeavesTheBoardSound();
    void longSessionStaysFlat();
};

void TestGame::wholeGame()
{
    startGame(QStringLiteral("Fred"));
    const QList<QList<int>> pairs = pairsOnBoard();
    // One mismatch first, then every pair in order.
    clickCard(pairs[0][0]);
    clickCard(pairs[1][0]);
    QCOMPARE(FormMain->Attempts, 1);
    QCOMPARE(FormMain->CardsLeft, 36);
    for (int k = 0; k < TFormMain::PairCount; ++k) {
        for (int i = 0; i < 42; ++i)
            FormMain->Timer->Tick();
        clickCard(pairs[k][0]);
        clickCard(pairs[k][1]);
        QCOMPARE(FormMain->StatusBar1->PanelText(2), QStringLiteral("Attempts: %1").arg(k + 2));
        if (k < TFormMain::PairCount - 1) {
            QCOMPARE(FormMain->CardsLeft, 34 - 2 * k);
            QVERIFY(FormMain->GameRunning());
            QCOMPARE(seen().count(FormTop10), 0);
        }
    }
    QCOMPARE(FormMain->CardsLeft, 0);
    QVERIFY(!FormMain->GameRunning());
    QCOMPARE(faceUpCount(), 36);
    QCOMPARE(FormMain->ResultCount, 1);
    QCOMPARE(FormMain->ResultNames[0], QStringLiteral("Fred"));
    QCOMPARE(FormMain->ResultTimes[0], 18 * 42);
    QCOMPARE(FormMain->ResultAttempts[0], 19);
    QCOMPARE(seen().count(FormTop10), 1);
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), QStringList{QStringLiteral("Fred")});
    QCOMPARE(linesOf(FormTop10->mmoTop10TimesByTime), QStringList{QStringLiteral("756")});
    QCOMPARE(linesOf(FormTop10->mmoTop10AttemptsByAttempts), QStringList{QStringLiteral("19")});
    // After the end, the board stays and clicks are ignored.
    clickCard(pairs[0][0]);
    QCOMPARE(FormMain->Attempts, 19);
    QCOMPARE(FormMain->ResultCount, 1);
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora - Fred"));
}

void TestGame::mismatchTurnsDownAtTheNextClick()
{
    startGame(QStringLiteral("Fred"));
    const QList<QList<int>> pairs = pairsOnBoard();
    clickCard(pairs[2][0]);
    QCOMPARE(FormMain->Attempts, 0);
    QVERIFY(FormMain->FindImage(pairs[2][0])->FaceUp());
    clickCard(pairs[3][0]);
    QCOMPARE(FormMain->Attempts, 1);
    QCOMPARE(FormMain->StatusBar1->PanelText(2), QStringLiteral("Attempts: 1"));
    QCOMPARE(faceUpCount(), 2);
    clickCard(pairs[4][0]);
    QVERIFY(!FormMain->FindImage(pairs[2][0])->FaceUp());
    QVERIFY(!FormMain->FindImage(pairs[3][0])->FaceUp());
    QVERIFY(FormMain->FindImage(pairs[4][0])->FaceUp());
    QCOMPARE(FormMain->Recent[0], FormMain->FindImage(pairs[4][0]));
    QCOMPARE(FormMain->Recent[1], FormMain->FindImage(pairs[3][0]));
    QCOMPARE(FormMain->Recent[2], FormMain->FindImage(pairs[2][0]));
    QCOMPARE(FormMain->CardsLeft, 36);
}

void TestGame::faceUpClicks_data()
{
    QTest::addColumn<QString>("click");
    QTest::newRow("the card just turned, as its own pair") << "self";
    QTest::newRow("a matched card, as a first card") << "matched first";
    QTest::newRow("a matched card, as a second card") << "matched second";
}

void TestGame::faceUpClicks()
{
    // Clicking the frame of a face-up card used to pair it with itself or pair a matched card
    // again, counting matches that never happened and ending games early.
    QFETCH(QString, click);
    startGame(QStringLiteral("Fred"));
    const QList<QList<int>> pairs = pairsOnBoard();
    clickCard(pairs[0][0]);
    clickCard(pairs[0][1]);
    int target = pairs[0][0];
    if (click == QLatin1String("self")) {
        clickCard(pairs[1][0]);
        target = pairs[1][0];
    } else if (click == QLatin1String("matched second")) {
        clickCard(pairs[1][0]);
    }
    const int attempts = FormMain->Attempts;
    const int left = FormMain->CardsLeft;
    const bool first = FormMain->FirstOfPair;
    const auto recent = FormMain->Recent;
    const int up = faceUpCount();
    // The face-down card opening a pair stays face up as that pair's first card.
    clickCard(target);
    QCOMPARE(FormMain->Attempts, attempts);
    QCOMPARE(FormMain->CardsLeft, left);
    QCOMPARE(FormMain->FirstOfPair, first);
    QCOMPARE(FormMain->Recent, recent);
    QCOMPARE(faceUpCount(), up);
}

void TestGame::clickOnTheMismatchOpensTheNextPair_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("first card of the mismatch") << 0;
    QTest::newRow("second card of the mismatch") << 1;
}

void TestGame::clickOnTheMismatchOpensTheNextPair()
{
    // The clicked card used to be shown and then hidden with the mismatched pair, so the new
    // pair's first card was face down yet counted as turned.
    QFETCH(int, which);
    startGame(QStringLiteral("Fred"));
    const QList<QList<int>> pairs = pairsOnBoard();
    const int mismatch[2] = {pairs[1][0], pairs[2][0]};
    clickCard(mismatch[0]);
    clickCard(mismatch[1]);
    clickCard(mismatch[which]);
    TImage *opened = FormMain->FindImage(mismatch[which]);
    TImage *other = FormMain->FindImage(mismatch[1 - which]);
    QVERIFY(opened->FaceUp());
    QVERIFY(!other->FaceUp());
    QCOMPARE(FormMain->Recent[0], opened);
    QVERIFY(!FormMain->FirstOfPair);
    QCOMPARE(FormMain->Attempts, 1);
    // Its partner completes the pair as a match.
    clickCard(cardsOfPair(opened->Tag()).at(cardsOfPair(opened->Tag()).at(0) == mismatch[which] ? 1 : 0));
    QCOMPARE(FormMain->Attempts, 2);
    QCOMPARE(FormMain->CardsLeft, 34);
    QCOMPARE(faceUpCount(), 2);
}

void TestGame::clicksWithoutAGameDoNothing()
{
    const auto recent = FormMain->Recent;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        clickCard(n);
    QCOMPARE(FormMain->Attempts, 0);
    QCOMPARE(FormMain->Recent, recent);
    QCOMPARE(faceUpCount(), 36);
    QCOMPARE(FormMain->StatusBar1->PanelText(2), QStringLiteral("Attempts:   "));
}

void TestGame::clockAndTimeOut()
{
    startGame(QStringLiteral("Ana"));
    const QList<QList<int>> pairs = pairsOnBoard();
    clickCard(pairs[0][0]);
    clickCard(pairs[1][0]);
    FormMain->Timer->Tick();
    QCOMPARE(FormMain->StatusBar1->PanelText(1), QStringLiteral("Time: 1 s"));
    for (int i = 2; i <= 42; ++i)
        FormMain->Timer->Tick();
    QCOMPARE(FormMain->StatusBar1->PanelText(1), QStringLiteral("Time: 42 s"));
    for (int i = 43; i < TFormMain::TimeLimit; ++i)
        FormMain->Timer->Tick();
    QVERIFY(FormMain->GameRunning());
    QCOMPARE(seen().count(FormTop10), 0);
    FormMain->Timer->Tick();
    QCOMPARE(FormMain->StatusBar1->PanelText(1), QStringLiteral("Time: 1200 s"));
    QVERIFY(!FormMain->GameRunning());
    QVERIFY(!FormMain->CheatTimer->Enabled());
    QCOMPARE(FormMain->ResultCount, 1);
    QCOMPARE(FormMain->ResultTimes[0], 1200);
    QCOMPARE(FormMain->ResultAttempts[0], 1);
    QCOMPARE(seen().count(FormTop10), 1);
    // A stray tick after the end changes nothing.
    FormMain->Timer->Tick();
    QCOMPARE(FormMain->Time, 1200);
}

void TestGame::reshuffle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("moves");
    QTest::newRow("Ana") << "Ana" << true;
    QTest::newRow("Fiona") << "Fiona" << false;
    QTest::newRow("fred") << "fred" << false;
}

void TestGame::reshuffle()
{
    QFETCH(QString, name);
    QFETCH(bool, moves);
    startGame(name);
    const QList<QList<int>> pairs = pairsOnBoard();
    // Two pairs matched, a mismatch face up, and a first card of the next pair open.
    clickCard(pairs[0][0]);
    clickCard(pairs[0][1]);
    clickCard(pairs[1][0]);
    clickCard(pairs[1][1]);
    clickCard(pairs[2][0]);
    clickCard(pairs[3][0]);
    clickCard(pairs[4][0]);
    QList<int> keep;
    for (int n = 1; n <= TFormMain::CardCount; ++n) {
        const TImage *card = FormMain->FindImage(n);
        if (card->FaceUp() || std::find(FormMain->Recent.begin(), FormMain->Recent.end(), card) != FormMain->Recent.end())
            keep << n;
    }
    QCOMPARE(keep.size(), 7);
    QList<int> before;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        before << FormMain->FindImage(n)->Tag();
    int changedTicks = 0;
    for (int tick = 0; tick < 3000; ++tick) {
        QList<int> last;
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            last << FormMain->FindImage(n)->Tag();
        FormMain->CheatTimer->Tick();
        int changed = 0;
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            if (FormMain->FindImage(n)->Tag() != last[n - 1]) {
                ++changed;
                QVERIFY2(!keep.contains(n), qPrintable(QStringLiteral("card %1 moved").arg(n)));
                QVERIFY(!FormMain->FindImage(n)->FaceUp());
            }
        }
        QVERIFY(changed == 0 || changed == 2);
        changedTicks += changed == 2;
    }
    QString why;
    QVERIFY2(deckIsSound(&why), qPrintable(why));
    for (int n : keep)
        QCOMPARE(FormMain->FindImage(n)->Tag(), before[n - 1]);
    if (moves)
        QVERIFY(changedTicks > 2000);
    else
        QCOMPARE(changedTicks, 0);
}

void TestGame::reshuffleRestsBelowTenCards()
{
    startGame(QStringLiteral("Ana"));
    const auto tags = [] {
        QList<int> all;
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            all << FormMain->FindImage(n)->Tag();
        return all;
    };
    const auto matchOnePair = [] {
        int n = 1;
        while (FormMain->FindImage(n)->FaceUp())
            ++n;
        const QList<int> pair = cardsOfPair(FormMain->FindImage(n)->Tag());
        clickCard(pair[0]);
        clickCard(pair[1]);
    };
    while (FormMain->CardsLeft > 10)
        matchOnePair();
    // At ten cards left the exchange still runs...
    QList<int> before = tags();
    for (int tick = 0; tick < 20; ++tick)
        FormMain->CheatTimer->Tick();
    QVERIFY(tags() != before);
    QVERIFY(deckIsSound());
    // ...below ten the last four pairs never move.
    matchOnePair();
    QCOMPARE(FormMain->CardsLeft, 8);
    before = tags();
    for (int tick = 0; tick < 100; ++tick)
        FormMain->CheatTimer->Tick();
    QCOMPARE(tags(), before);
}

void TestGame::doubleClickEnds_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("during a game") << true;
    QTest::newRow("right after start-up") << false;
}

void TestGame::doubleClickEnds()
{
    // Without a game, a double-click used to record a result nobody played.
    QFETCH(bool, running);
    if (running) {
        startGame(QStringLiteral("Ana"));
        const QList<QList<int>> pairs = pairsOnBoard();
        clickCard(pairs[0][0]);
        clickCard(pairs[0][1]);
        for (int i = 0; i < 95; ++i)
            FormMain->Timer->Tick();
    }
    FormMain->FormDblClick();
    QCOMPARE(seen().count(FormTop10), 1);
    QCOMPARE(FormMain->ResultCount, running ? 1 : 0);
    if (running) {
        QCOMPARE(FormMain->ResultNames[0], QStringLiteral("Ana"));
        QCOMPARE(FormMain->ResultTimes[0], 95);
        QCOMPARE(FormMain->ResultAttempts[0], 1);
        QVERIFY(!FormMain->GameRunning());
        QVERIFY(!FormMain->CheatTimer->Enabled());
    }
    FormMain->FormDblClick();
    QCOMPARE(FormMain->ResultCount, running ? 1 : 0);
    QCOMPARE(seen().count(FormTop10), 2);
}

void TestGame::fullTableShiftsTheOldestOut()
{
    for (int g = 1; g <= 25; ++g) {
        startGame(QStringLiteral("P%1").arg(g));
        for (int i = 0; i < g; ++i)
            FormMain->Timer->Tick();
        FormMain->FormDblClick();
        QCOMPARE(FormMain->ResultCount, std::min(g, TFormMain::ResultSlots));
        QCOMPARE(FormMain->ResultNames[FormMain->ResultCount - 1], QStringLiteral("P%1").arg(g));
    }
    QCOMPARE(FormMain->ResultNames[0], QStringLiteral("P6"));
    QCOMPARE(FormMain->ResultTimes[0], 6);
    QCOMPARE(FormMain->ResultTimes[19], 25);
}

void TestGame::failedReshuffleLeavesTheBoardSound()
{
    // A picture gone mid-game: the tick fails, shows its error once, and the board stays sound.
    startGame(QStringLiteral("Ana"));
    int failures = 0;
    {
        const PictureFolder folder({9});
        QVERIFY(folder.ok);
        for (int tick = 0; tick < 200; ++tick) {
            try {
                FormMain->CheatTimer->Tick();
            } catch (const Exception &e) {
                QVERIFY(e.Message.contains(QStringLiteral("Images/9.bmp")));
                ++failures;
            }
        }
    }
    QVERIFY(failures > 0);
    QString why;
    QVERIFY2(deckIsSound(&why), qPrintable(why));
    QVERIFY(FormMain->GameRunning());
}

void TestGame::longSessionStaysFlat()
{
    // A thousand games in one process: memory stays flat and the table keeps the last twenty.
    long afterWarmUp = 0;
    for (int g = 1; g <= 1000; ++g) {
        startGame(g % 2 ? QStringLiteral("Ana") : QStringLiteral("Fred"));
        for (int k = 1; k <= TFormMain::PairCount; ++k) {
            FormMain->Timer->Tick();
            FormMain->CheatTimer->Tick();
            const QList<int> pair = cardsOfPair(k);
            clickCard(pair[0]);
            clickCard(pair[1]);
        }
        QVERIFY(!FormMain->GameRunning());
        // Between games the real program is back in its event loop, which repaints.
        QCoreApplication::processEvents();
        if (g == 100)
            afterWarmUp = residentKb();
    }
    const long end = residentKb();
    qInfo("resident memory after 100 games %ld kB, after 1000 games %ld kB", afterWarmUp, end);
    QVERIFY(end - afterWarmUp < 1024);
    QCOMPARE(FormMain->ResultCount, 20);
    QCOMPARE(FormMain->ResultAttempts[19], 18);
    QCOMPARE(FormMain->ResultTimes[19], 18);
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime).size(), 11);
}

DUPLORA_TEST_MAIN(TestGame)
#include "tst_game.moc"
