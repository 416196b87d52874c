// The rules of a game, played through what a click, a tick and a double-click reach.
#include "TestSupport.h"

#include <QAccessible>
#include <QWindow>

namespace {

// "a A b B ...": the first `count` pairs, each found at once.
QString pairs(int count)
{
    QString names;
    for (int k = 0; k < count; ++k)
        names += QChar('a' + k) + QString(QChar('A' + k)) + ' ';
    return names;
}

// Cards named by pair: "a" and "A" are the two cards of pair 1, the lower card number first;
// "b" and "B" those of pair 2, and so on. "*" names every card.
QSet<int> cardsOf(const QString &names)
{
    QSet<int> cards;
    const QString all = QString(names).replace('*', pairs(18)).remove(' ');
    for (QChar name : all)
        cards << cardsOfPair(name.toLower().unicode() - 'a' + 1).at(name.isUpper());
    return cards;
}
int cardOf(char name) { return *cardsOf(QString(QLatin1Char(name))).begin(); }

QSet<int> faceUp()
{
    QSet<int> up;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        if (FormMain->FindImage(n)->FaceUp())
            up << n;
    return up;
}

struct Script {
    QString player, clicks;
    int attempts, cardsLeft;
    // The cards face up, and those the hidden reshuffle must leave alone besides them.
    QString up, spared;
    // Turned by a click, by the keyboard, or by a screen reader.
    QString by = QStringLiteral("mouse");
};

QColor pixel(QWidget *widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

// Turns a card from the keyboard: the first Tab focuses card 1; the arrow keys walk the grid,
// stopping at its edges; Space and Enter turn the focused card, which shows a focus frame.
void keyTo(int n, int &at)
{
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    QVERIFY(QTest::qWaitForWindowActive(FormMain));
    if (!at) {
        press(Qt::Key_Tab);
        at = 1;
        for (Qt::Key edge : {Qt::Key_Up, Qt::Key_Left})
            press(edge);
    }
    for (; (at - 1) / 6 != (n - 1) / 6; at += (n > at) ? 6 : -6)
        press(n > at ? Qt::Key_Down : Qt::Key_Up);
    for (; at != n; at += (n > at) ? 1 : -1)
        press(n > at ? Qt::Key_Right : Qt::Key_Left);
    QCOMPARE(pixel(FormMain->Cell(n), {3, 26}), FormMain->palette().color(QPalette::Highlight));
    press(n % 2 ? Qt::Key_Space : Qt::Key_Return);
}

struct Press {
    // A point of the cell of a card named as above, or of the board when none is named.
    QString card;
    QPoint at;
    QString how, up;
    bool ends;
};

// Counts the ticks that reach the game's timers.
class WakeCounter : public QObject {
public:
    int wakes = 0;
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        wakes += event->type() == QEvent::Timer && qobject_cast<TTimer *>(receiver->parent());
        return false;
    }
};

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Press)

class TestRules : public GameTest {
    Q_OBJECT
private slots:
    void clickScripts_data()
    {
        QTest::addColumn<Script>("script");
        QTest::newRow("first card") << Script{"Ana", "a", 0, 36, "a", "a"};
        QTest::newRow("a match") << Script{"Ana", "aA", 1, 34, "aA", ""};
        QTest::newRow("a mismatch stays face up") << Script{"Ana", "ab", 1, 36, "ab", ""};
        QTest::newRow("until the next card") << Script{"Ana", "abc", 1, 36, "c", "ab"};
        QTest::newRow("a card of the mismatch opens the next pair") << Script{"Ana", "abb", 1, 36, "b", "a"};
        QTest::newRow("and matches its partner") << Script{"Ana", "abbB", 2, 34, "bB", "a"};
        QTest::newRow("the open card is no pair of its own") << Script{"Ana", "aa", 0, 36, "a", ""};
        QTest::newRow("a matched card is ignored as first card") << Script{"Ana", "aAAb", 1, 34, "aAb", ""};
        QTest::newRow("and as second card") << Script{"Ana", "aAbA", 1, 34, "aAb", ""};
        QTest::newRow("six cards spared, not the seventh") << Script{"Ana", "abcdefg", 3, 36, "g", "bcdef"};
        QTest::newRow("matched pairs stay face up") << Script{"Ana", "aAbBcd", 3, 32, "aAbBcd", ""};
        QTest::newRow("ten cards left still move") << Script{"Ana", pairs(13), 13, 10, pairs(13), ""};
        QTest::newRow("eight cards left rest") << Script{"Ana", pairs(14), 14, 8, pairs(14), "*"};
        QTest::newRow("the last pair ends the game") << Script{"Ana", pairs(18), 18, 0, "*", "*"};
        // "|" is a Game > New: the next game starts afresh, all it remembers of the last forgotten.
        QTest::newRow("a new game after a mismatch") << Script{"Ana", "abc|d", 0, 36, "d", ""};
        QTest::newRow("a new game after a match") << Script{"Ana", "aAb|cd", 1, 36, "cd", ""};
        QTest::newRow("by keyboard") << Script{"Ana", "aAbc|dDe", 1, 34, "dDe", "", "keys"};
        QTest::newRow("by screen reader") << Script{"Ana", "aAbcc", 2, 34, "aAc", "b", "reader"};
        // Names beginning with F, in either case, play without the hidden reshuffle.
        QTest::newRow("Fred") << Script{"Fred", "a", 0, 36, "a", "*"};
        QTest::newRow("fiona") << Script{"fiona", "a", 0, 36, "a", "*"};
        QTest::newRow("a blank before Fred") << Script{" Fred", "a", 0, 36, "a", "a"};
        QTest::newRow("Émile") << Script{"Émile", "a", 0, 36, "a", "a"};
    }
    void clickScripts()
    {
        // Each starts from the start-up board, face up and shuffled from the dealt order n, n + 18.
        QFETCH(Script, script);
        QCOMPARE(faceUp(), cardsOf("*"));
        QVERIFY(tags().mid(0, 18) != tags().mid(18));
        const QList<int> dealt = tags();
        const int seeds = chance->seeds;
        startGame(script.player);
        QVERIFY(tags() != dealt);
        QCOMPARE(chance->seeds, seeds + 1);
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        int focused = 0;
        for (QChar name : script.clicks.remove(' ')) {
            const int n = name == '|' ? 0 : cardOf(name.toLatin1());
            if (!n)
                startGame(script.player);
            else if (script.by == "keys")
                keyTo(n, focused);
            else if (script.by == "reader")
                QAccessible::queryAccessibleInterface(FormMain->Cell(n))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            else
                clickCard(n);
        }
        const QSet<int> up = cardsOf(script.up), kept = up + cardsOf(script.spared);
        // The focus frame shows over a face-up picture too, and only where the keyboard put it.
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            QCOMPARE(pixel(FormMain->Cell(n), {3, 26}) == FormMain->palette().color(QPalette::Highlight), n == focused);
        QCOMPARE(FormMain->Attempts, script.attempts);
        QVERIFY(!script.attempts || panel(2) == QStringLiteral("Attempts: %1").arg(script.attempts));
        QCOMPARE(FormMain->CardsLeft, script.cardsLeft);
        QCOMPARE(faceUp(), up);
        QCOMPARE(opened.count(FormTop10), script.cardsLeft == 0 ? 1 : 0);
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            const QAccessibleInterface *cell = QAccessible::queryAccessibleInterface(FormMain->Cell(n));
            QCOMPARE(cell->role(), QAccessible::Button);
            QCOMPARE(cell->text(QAccessible::Name), up.contains(n) ? QStringLiteral("Card %1, face up, pair %2").arg(n).arg(tags()[n - 1])
                                                                   : QStringLiteral("Card %1, face down").arg(n));
        }
        // Sooner or later the hidden reshuffle moves every other face-down card, never these.
        const QList<int> before = tags();
        QSet<int> moved;
        for (int tick = 0; tick < 300; ++tick) {
            FormMain->CheatTimer->Tick();
            const QList<int> now = tags();
            for (int n = 1; n <= TFormMain::CardCount; ++n)
                moved += now[n - 1] != before[n - 1] ? QSet<int>{n} : QSet<int>{};
        }
        QCOMPARE(moved, cardsOf("*") - kept);
        QCOMPARE(faceUp(), up);
        QVERIFY(deckIsSound());
    }

    void reshuffleDrawsTwoCards()
    {
        // The first card drawn, then the first other one: card 1 and the first card of another pair.
        startGame(QStringLiteral("Ana"));
        QList<int> expected = tags();
        const int other = int(std::find_if(expected.begin(), expected.end(), [&](int t) { return t != expected[0]; }) - expected.begin());
        chance->draws = {0.5, 0.5, other + 0.5};
        std::swap(expected[0], expected[other]);
        FormMain->CheatTimer->Tick();
        QCOMPARE(tags(), expected);
    }

    void randomCardNumber_data()
    {
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<int>("card");
        QTest::newRow("-1 gives 0 and is drawn again") << QList<double>{-1.0, 5.2} << 6;
        QTest::newRow("37.5 is card 2") << QList<double>{37.5} << 2;
        QTest::newRow("-5.9 is card 4") << QList<double>{-5.9} << 4;
        QTest::newRow("-36.7 folds to card 1") << QList<double>{-36.7} << 1;
        QTest::newRow("huge and NaN are drawn again") << QList<double>{1e300, std::nan(""), -1e12, 10.0} << 11;
    }
    void randomCardNumber()
    {
        QFETCH(QList<double>, draws);
        QFETCH(int, card);
        chance->draws = draws;
        QCOMPARE(FormMain->RandomCardNumber(), card);
        // From a normal draw of mean 19 and deviation 18, card 1 comes 1.846 and card 36 0.542
        // times as often as an even draw would bring them.
        std::array<int, 37> hits{};
        for (int i = 0; i < 1000000; ++i)
            ++hits.at(FormMain->RandomCardNumber());
        QCOMPARE(hits[0], 0);
        QVERIFY2(qAbs(hits[1] / 27778.0 - 1.846) < 0.025 && qAbs(hits[36] / 27778.0 - 0.542) < 0.015,
                 qPrintable(QStringLiteral("%1 %2").arg(hits[1]).arg(hits[36])));
    }

    void clockAndTimeOut()
    {
        startGame(QStringLiteral("Ana"));
        clickCard(cardOf('a'));
        clickCard(cardOf('b'));
        for (int t = 1; t <= 1200; ++t) {
            QCOMPARE(opened.count(FormTop10), 0);
            FormMain->Timer->Tick();
            QCOMPARE(panel(1), QStringLiteral("Time: %1 s").arg(t));
        }
        QCOMPARE(linesOf(FormTop10->mmoTop10TimesByTime) + linesOf(FormTop10->mmoTop10AttemptsByTime),
                 (QStringList{"1200", "1"}));
        // Over: neither clock moves anything any more.
        const QList<int> board = tags();
        FormMain->Timer->Tick();
        FormMain->CheatTimer->Tick();
        QCOMPARE(panel(1), QStringLiteral("Time: 1200 s"));
        QCOMPARE(tags(), board);
    }

    void clocksKeepTheirPace()
    {
        // Real timers: the clock ticks every second, the reshuffle every four, and once the game
        // is over neither wakes the program.
        TestHooks::ManualTimers = false;
        startGame(QStringLiteral("Ana"));
        const int seeds = chance->seeds;
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(panel(1), QStringLiteral("Time: 2 s"), 5000);
        QVERIFY2(clock.elapsed() >= 1950 && clock.elapsed() < 3500 && chance->seeds == seeds, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(chance->seeds, seeds + 1, 8000);
        QVERIFY2(clock.elapsed() >= 3950 && clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
        FormMain->FormDblClick();
        WakeCounter counter;
        qApp->installEventFilter(&counter);
        QTest::qWait(1500);
        QCOMPARE(counter.wakes, 0);
    }

    void mouse_data()
    {
        // Pressed through the window, so that Qt's hit-testing decides which control a press
        // reaches; a mismatch "a b" lies face up after 95 seconds.
        QTest::addColumn<Press>("press");
        QTest::newRow("a face-down card") << Press{"c", {26, 26}, "click", "c", false};
        QTest::newRow("with the right button") << Press{"c", {26, 26}, "right", "ab", false};
        QTest::newRow("the picture of a face-up card") << Press{"a", {26, 26}, "click", "ab", false};
        QTest::newRow("its edge") << Press{"a", {51, 51}, "click", "ab", false};
        QTest::newRow("its frame") << Press{"a", {26, 0}, "click", "a", false};
        QTest::newRow("a double-click between the cards") << Press{"", {62, 62}, "double", "ab", true};
        QTest::newRow("below the grid") << Press{"", {100, 344}, "double", "ab", true};
        QTest::newRow("on a face-down card turns it") << Press{"c", {26, 26}, "double", "c", false};
        QTest::newRow("on the status bar") << Press{"", {200, 358}, "double", "ab", false};
    }
    void mouse()
    {
        QFETCH(Press, press);
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FormMain));
        QCOMPARE(FormMain->ClientArea->childAt(289, 65)->parent(), FormMain->Cell(12));
        startGame(QStringLiteral("Ana"));
        clickCard(cardOf('a'));
        clickCard(cardOf('b'));
        for (int t = 0; t < 95; ++t)
            FormMain->Timer->Tick();
        const QSet<int> up = cardsOf(press.up);
        QWidget *origin = press.card.isEmpty() ? static_cast<QWidget *>(FormMain->ClientArea) : FormMain->Cell(cardOf(press.card[0].toLatin1()));
        const QPoint at = origin->mapTo(FormMain, press.at);
        if (press.how == "double")
            QTest::mouseDClick(FormMain->windowHandle(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(FormMain->windowHandle(), press.how == "right" ? Qt::RightButton : Qt::LeftButton, {}, at);
        QCOMPARE(faceUp(), up);
        QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime) + linesOf(FormTop10->mmoTop10TimesByTime),
                 press.ends ? (QStringList{"Ana", "95"}) : QStringList());
        // A face-down card turns only while the game goes on.
        clickCard(cardOf('d'));
        QCOMPARE(faceUp().contains(cardOf('d')), !press.ends);
    }

    void doubleClickWithoutAGame()
    {
        // Shows the results and records nothing.
        FormMain->FormDblClick();
        QCOMPARE(opened, QList<TForm *>{FormTop10});
        QCOMPARE(FormTop10->mmoTop10NamesByTime->toPlainText(), QString());
    }

    void missingPictureMidGame()
    {
        // A reshuffle tick that cannot read a picture says which, and moves no card; a Game > New
        // that cannot shuffle leaves no game running, not even the old one.
        startGame(QStringLiteral("Ana"));
        const auto failing = [](const QList<int> &missing, void (*step)()) {
            const PictureFolder folder(missing);
            try {
                for (int i = 0; i < 100; ++i)
                    step();
            } catch (const Exception &e) {
                errors << e.Message;
            }
        };
        failing({9}, [] { FormMain->CheatTimer->Tick(); });
        failing({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, [] { startGame(QStringLiteral("Bob")); });
        QCOMPARE(errors.size(), 2);
        QVERIFY2(errors[0].contains(QStringLiteral("Images/9.bmp")), qPrintable(errors[0]));
        QVERIFY(deckIsSound());
        const QList<int> board = tags();
        FormMain->Timer->Tick();
        FormMain->CheatTimer->Tick();
        QCOMPARE(panel(1), QStringLiteral("Time:   "));
        QCOMPARE(tags(), board);
    }

    void startUpWithoutAPicture()
    {
        // The error box names the picture, no window shows, and the run ends in failure.
        DestroyForms();
        const PictureFolder folder({7});
        QVERIFY(Run(*static_cast<TApplication *>(qApp)) != 0);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("Images/7.bmp")), qPrintable(errors[0]));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }
};

DUPLORA_TEST_MAIN(TestRules)
#include "tst_rules.moc"
