// The game as a player reaches it: clicks, keys, ticks and the answers to its windows, each rule a
// table; and the layer under it: the picture reader and errors escaping a handler.
#include "app/Startup.h"
#include "dialogs/About.h"
#include "dialogs/NewGame.h"
#include "dialogs/Top10.h"
#include "main/Main.h"
#include "toolkit/Bitmap.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <random>

namespace {

// Chance from a fixed seed, or the draws a test gives.
struct FixedSource : RandomSource
{
    QList<double> draws;
    std::mt19937_64 engine{1};
    void Seed(quint64) override { }
    double Gauss(double mean, double sd) override
    {
        return draws.isEmpty() ? std::normal_distribution(mean, sd)(engine) : draws.takeFirst();
    }
};

FixedSource *chance = nullptr;
QList<TForm *> opened;
QStringList errors;
// What the player does in the name dialog: types a text into the box that has the focus, then
// presses keys ("Return", "Ctrl+V", ...), clicks buttons by name or lets the clock reach its limit
// ("!"), separated by blanks.
QString typed, pressed;

void runOutOfTime()
{
    for (int t = 0; t < 1200; ++t)
        FormMain->Timer->Tick();
}

void answerNameDialog()
{
    QVERIFY(QTest::qWaitForWindowActive(FormNewGame));
    // One key press a character: QTest::keyClicks knows Latin-1 only.
    for (char32_t c : typed.toUcs4())
        QTest::sendKeyEvent(QTest::KeyAction::Press, FormNewGame->focusWidget(), Qt::Key_unknown,
                            QString::fromUcs4(&c, 1), {});
    for (const QString &step : pressed.split(' ')) {
        if (step == "!")
            runOutOfTime();
        else if (auto *button = FormNewGame->findChild<QPushButton *>(step))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keySequence(FormNewGame->focusWidget(), QKeySequence::fromString(step));
    }
}

void startGame(const QString &name)
{
    typed = name;
    pressed = QStringLiteral("Return");
    FormMain->New1Click();
}

QList<int> tags()
{
    QList<int> ids;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        ids << FormMain->FindImage(n)->Tag();
    return ids;
}

// The cards whose number and pair id pass a test.
QSet<int> cardsWhere(const std::function<bool(int n, int pairId)> &wanted)
{
    QSet<int> cards;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        cards += wanted(n, FormMain->FindImage(n)->Tag()) ? QSet<int>{n} : QSet<int>{};
    return cards;
}

// Cards named by pair: "a" and "A" are the two cards of pair 1, the lower card number first;
// "b" and "B" those of pair 2, and so on; pairs(k), both cards of the first k pairs.
QString pairs(int count)
{
    return QStringLiteral("aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrR").left(2 * count);
}
QSet<int> cardsOf(const QString &names)
{
    QSet<int> cards;
    const QList<int> ids = tags();
    for (QChar name : names) {
        const int id = name.toLower().unicode() - 'a' + 1;
        cards << 1 + (name.isUpper() ? ids.lastIndexOf(id) : ids.indexOf(id));
    }
    return cards;
}
int cardOf(QChar name)
{
    return *cardsOf(name).begin();
}

// Every card shows the picture of its own pair id.
bool deckIsSound()
{
    return cardsWhere([](int n, int id) {
               return FormMain->FindImage(n)->pixmap().toImage()
                       == ReadBitmap(DUPLORA_SOURCE_DIR "/" + TFormMain::PicturePath(id));
           }).size()
            == TFormMain::CardCount;
}

QString panel(int index)
{
    return FormMain->StatusBar1->PanelText(index);
}
// The main window's caption as the window system shows it.
QString caption()
{
    return FormMain->winId() ? FormMain->windowHandle()->title() : QString();
}
// A box of a window never opened does not exist yet: it shows nothing.
QStringList linesOf(const TMemo *memo)
{
    return memo ? memo->toPlainText().split('\n', Qt::SkipEmptyParts) : QStringList();
}
QStringList firstResult()
{
    return linesOf(FormTop10->mmoTop10NamesByTime) + linesOf(FormTop10->mmoTop10TimesByTime);
}

// A press through the window, so that Qt's hit-testing decides what it reaches: a click on the
// middle of a card named by pair, a double-click between the cards ("~", "^" with the right button)
// or on the status bar ("=").
// With DRAG, the press on a card is let go of below it.
void mouseOn(QChar name, bool drag = false)
{
    const QWidget *on = name.isLetter() ? static_cast<QWidget *>(FormMain->Cell(cardOf(name)))
                                        : FormMain->ClientArea;
    const QPoint at = on->mapTo(FormMain,
                                name.isLetter()       ? QPoint(26, 26)
                                        : name == '=' ? QPoint(200, 358)
                                                      : QPoint(62, 62));
    if (name.isLetter()) {
        QTest::mousePress(FormMain->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(FormMain->windowHandle(), Qt::LeftButton, {},
                            at + QPoint(0, drag ? 30 : 0));
    } else
        QTest::mouseDClick(FormMain->windowHandle(), name == '^' ? Qt::RightButton : Qt::LeftButton,
                           {}, at);
}

struct Script
{
    QString player, clicks;
    int attempts;
    // The cards face up, and those the hidden reshuffle must leave alone besides them; turned by
    // the click a card's cell reports, by a mouse click at the middle of the card as Qt's
    // hit-testing routes it, or by a screen reader. The keyboard plays whole games end to end.
    QString up, spared, by = QStringLiteral("click");
};

// An answer to the name dialog: typed, then pasted with Ctrl+V, the keys pressed or buttons
// clicked, and the player of the game that starts (none: no new game); given before a game,
// during one, or as the time runs out.
struct Answer
{
    QString typed, keys, player, pasted = {}, when = QStringLiteral("before a game");
};

// What a control shows: its text, a box's lines, a window's caption, the status bar's panels.
QString textOf(const QObject *control)
{
    if (auto *bar = qobject_cast<const TStatusBar *>(control))
        return bar->PanelText(0) + '|' + bar->PanelText(1) + '|' + bar->PanelText(2);
    for (const char *property : {"text", "title", "plainText", "windowTitle"})
        if (control->property(property).isValid())
            return control->property(property).toString();
    return {};
}

// Each line of a box on one line of its own, as laid out.
bool unbroken(const TMemo *memo)
{
    return memo->document()->lineCount() == memo->document()->blockCount();
}

// A label shows its whole text; a box shows each of its lines whole, on one line.
bool fits(QObject *control)
{
    if (auto *label = qobject_cast<QLabel *>(control)) {
        const QRect ink = label->fontMetrics().tightBoundingRect(label->text());
        return ink.right() < label->width() && ink.height() <= label->height();
    }
    auto *memo = qobject_cast<TMemo *>(control);
    return !memo
            || (unbroken(memo)
                && memo->document()->documentLayout()->documentSize().width()
                        <= memo->viewport()->width());
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Answer)

// Fresh windows, driven clocks and chance for every test; modal windows close at once, but for
// the name dialog, answered as above.
class TestGame : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QDir::setCurrent(QStringLiteral(DUPLORA_SOURCE_DIR));
        TestHooks::ManualTimers = true;
        TestHooks::SetRandomSource(std::unique_ptr<RandomSource>(chance = new FixedSource));
        opened.clear();
        errors.clear();
        // An error raised while the box is open (a reshuffle tick, say) must open no second box.
        TestHooks::ErrorBox = [](const QString &message) {
            errors << message;
            ShowException(Exception(QStringLiteral("while the box is open")));
        };
        // A screen reader's press while a modal window is open does nothing.
        TestHooks::Modal = [](TForm &form) {
            opened << &form;
            QAccessible::queryAccessibleInterface(FormMain->Cell(1))
                    ->actionInterface()
                    ->doAction(QAccessibleActionInterface::pressAction());
            if (&form == FormNewGame)
                answerNameDialog();
        };
        CreateForms();
    }
    void cleanup()
    {
        // No test meets an error box it does not look for.
        QCoreApplication::processEvents();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        DestroyForms();
        TestHooks::Reset();
    }

    void clickScripts_data()
    {
        QTest::addColumn<Script>("script");
        QTest::newRow("the open card is no pair of its own") << Script{"Ana", "aa", 0, "a", ""};
        QTest::newRow("a mismatch stays face up until the next card")
                << Script{"Ana", "abcc", 1, "c", "ab"};
        QTest::newRow("a card of the mismatch opens the next pair")
                << Script{"Ana", "abbB", 2, "bB", "a", "reader"};
        QTest::newRow("a matched card is ignored as first card")
                << Script{"Ana", "aAAb", 1, "aAb", ""};
        QTest::newRow("six cards spared, not the seventh")
                << Script{"Ana", "abcdefg", 3, "g", "bcdef"};
        QTest::newRow("ten cards left still move") << Script{"Ana", pairs(13), 13, pairs(13), ""};
        QTest::newRow("eight cards left rest")
                << Script{"Ana", pairs(14), 14, pairs(14), pairs(18)};
        QTest::newRow("the last pair ends the game")
                << Script{"Ana", pairs(18), 18, pairs(18), pairs(18)};
        QTest::newRow("a face-up picture takes no click")
                << Script{"Ana", "aba", 1, "ab", "", "mouse"};
        QTest::newRow("a press dragged off its card turns none")
                << Script{"Ana", "ab", 0, "", "", "drag"};
        QTest::newRow("a double-click between the cards ends the game")
                << Script{"Ana", "ab~c", 1, "ab", pairs(18), "mouse"};
        QTest::newRow("one on the status bar does not")
                << Script{"Ana", "ab=c", 1, "c", "ab", "mouse"};
        QTest::newRow("nor one with the right button")
                << Script{"Ana", "ab^c", 1, "c", "ab", "mouse"};
        // "!" lets the time run out; no card turns after it.
        QTest::newRow("a time-out ends the game") << Script{"Ana", "ab!cd", 1, "ab", pairs(18)};
        // "|" is a Game > New: the next game starts afresh, all it remembers of the last forgotten.
        QTest::newRow("a new game after a mismatch") << Script{"Ana", "abc|d", 0, "d", ""};
        QTest::newRow("a new game after a match") << Script{"Ana", "aAb|cd", 1, "cd", ""};
        QTest::newRow("by screen reader, to the end")
                << Script{"Fred", pairs(18), 18, pairs(18), pairs(18), "reader"};
        // Names beginning with F, in either case, play without the hidden reshuffle.
        QTest::newRow("Fred") << Script{"Fred", "a", 0, "a", pairs(18)};
        QTest::newRow("fiona") << Script{"fiona", "a", 0, "a", pairs(18)};
        QTest::newRow("a blank before Fred") << Script{" Fred", "a", 0, "a", "a"};
    }
    void clickScripts()
    {
        QFETCH(Script, script);
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        startGame(script.player);
        QString heard;
        for (const QChar name : script.clicks) {
            // A player acts once the window system has caught up, so a dialog's opener is active
            // again.
            QCoreApplication::processEvents();
            if (name == '|')
                startGame(script.player);
            else if (name == '!')
                runOutOfTime();
            else if (script.by != "click" && script.by != "reader")
                mouseOn(name, script.by == "drag");
            else if (script.by == "reader") {
                // The call returns before the press takes effect, as a real button's does.
                const std::pair before{FormMain->FindImage(cardOf(name))->FaceUp(),
                                       FormMain->Attempts};
                QAccessible::queryAccessibleInterface(FormMain->Cell(cardOf(name)))
                        ->actionInterface()
                        ->doAction(QAccessibleActionInterface::pressAction());
                QVERIFY(std::pair(FormMain->FindImage(cardOf(name))->FaceUp(), FormMain->Attempts)
                        == before);
                // Once it has: each card told by its pair's picture, each second card's outcome
                // too.
                QCoreApplication::processEvents();
                const QString pair = (heard += name.toLower()).size() % 2 ? "" : heard.right(2);
                QCOMPARE(QAccessible::queryAccessibleInterface(FormMain->Announcer)
                                 ->text(QAccessible::Name),
                         QStringLiteral("Picture %1").arg(name.toLower().unicode() - 'a' + 1)
                                 + (pair.isEmpty() ? ""
                                            : pair[0] == pair[1]
                                            ? ", a match"
                                            : ", no match: both turn back at the next card"));
            } else
                FormMain->s01Click(FormMain->Cell(cardOf(name)));
        }
        QCoreApplication::processEvents();
        const QSet<int> up = cardsOf(script.up), kept = up + cardsOf(script.spared);
        QCOMPARE(FormMain->Attempts, script.attempts);
        QVERIFY(!script.attempts
                || panel(2) == QStringLiteral("Attempts: %1").arg(script.attempts));
        QCOMPARE(cardsWhere([](int n, int) { return FormMain->FindImage(n)->FaceUp(); }), up);
        // A game over shows its result, and its clock stands still.
        const bool timedOut = script.clicks.contains('!'),
                   over
                = timedOut || up.size() == TFormMain::CardCount || script.clicks.contains('~');
        QCOMPARE(opened.count(FormTop10), over ? 1 : 0);
        QCOMPARE(firstResult(),
                 over ? (QStringList{script.player, timedOut ? "1200" : "0"}) : QStringList());
        FormMain->Timer->Tick();
        QCOMPARE(panel(1), QString(timedOut ? "Time: 1200 s" : over ? "Time:   " : "Time: 1 s"));
        // Screen readers hear each card as a button. The keyboard is back in the main window: its
        // first Tab puts the focus on card 1, and the arrows walk the grid and stop at its edges
        // (each key and the card it leaves the focus on), where the focus frame shows alone, over
        // a picture too.
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        for (const QString &step : QStringLiteral("Tab 1 Left 1 Up 1 Down 7 Left 7 Right 8 Right 9 "
                                                  "Right 10 Right 11 Right 12 Right 12 "
                                                  "Down 18 Down 24 Down 30 Down 36 Down 36 Left 35")
                                           .split(' ')) {
            if (step.front().isLetter())
                QTest::keySequence(QApplication::focusWidget(), QKeySequence::fromString(step));
            else
                QCOMPARE(QApplication::focusWidget(), FormMain->Cell(step.toInt()));
        }
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            const QAccessibleInterface *cell
                    = QAccessible::queryAccessibleInterface(FormMain->Cell(n));
            QCOMPARE(cell->role(), QAccessible::Button);
            QCOMPARE(cell->text(QAccessible::Name),
                     up.contains(n) ? QStringLiteral("Card %1, face up, picture %2")
                                              .arg(n)
                                              .arg(FormMain->FindImage(n)->Tag())
                                    : QStringLiteral("Card %1, face down").arg(n));
            QCOMPARE(FormMain->Cell(n)->grab().toImage().pixelColor(3, 26)
                             == FormMain->palette().color(QPalette::Highlight),
                     n == 35);
        }
        // Sooner or later the hidden reshuffle moves every other face-down card, never these, and
        // each card shows its own pair's picture.
        const QList<int> before = tags();
        QSet<int> moved;
        for (int tick = 0; tick < 300; ++tick) {
            FormMain->CheatTimer->Tick();
            moved += cardsWhere([&](int n, int id) { return id != before[n - 1]; });
        }
        QCOMPARE(moved, cardsOf(pairs(18)) - kept);
        QVERIFY(deckIsSound());
    }

    void missingPictures()
    {
        // A picture that cannot be read is named in an error box that opens from the event loop,
        // after which every way in works as before. A reshuffle tick moves no card, and a click
        // still turns one; a Game > New by the menu fails each time, leaves no game running on its
        // half-shuffled board, and the caption names no player; at start-up the run fails.
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        startGame(QStringLiteral("Ana"));
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()) && QDir().mkdir(QStringLiteral("Images")));
        for (int k = 1; k < TFormMain::PairCount; ++k)
            QVERIFY(QFile::copy(DUPLORA_SOURCE_DIR "/" + TFormMain::PicturePath(k),
                                TFormMain::PicturePath(k)));
        for (int tick = 0; tick < 100; ++tick)
            FormMain->CheatTimer->Tick();
        QVERIFY(errors.isEmpty());
        QCoreApplication::processEvents();
        QVERIFY(!errors.isEmpty()
                && errors.filter(QDir::toNativeSeparators(QStringLiteral("Images/18.bmp"))).size()
                        == errors.size());
        QVERIFY(deckIsSound());
        mouseOn('a');
        QVERIFY(FormMain->FindImage(cardOf('a'))->FaceUp());
        QDir::setCurrent(dir.filePath(QStringLiteral("Images")));
        errors.clear();
        typed = QStringLiteral("Bob");
        for (int twice = 0; twice < 2; ++twice) {
            FormMain->Game1->popup(FormMain->mapToGlobal(QPoint()));
            QTest::mouseClick(FormMain->Game1, Qt::LeftButton, {},
                              FormMain->Game1->actionGeometry(FormMain->New1).center());
            QCoreApplication::processEvents();
        }
        QCOMPARE(errors.size(), 2);
        FormMain->Timer->Tick();
        QCOMPARE(panel(1) + caption(), QStringLiteral("Time:   Duplora"));
        DestroyForms();
        errors.clear();
        QVERIFY(Run(*static_cast<TApplication *>(qApp)) != 0);
        // Started from a folder without Images/, the box says where the game looked.
        QVERIFY(errors.size() == 1
                && errors[0].contains(QDir::toNativeSeparators(QStringLiteral("Images/1.bmp")))
                && errors[0].contains(QDir::toNativeSeparators(QDir::current().absoluteFilePath(
                                              QStringLiteral("Images")))
                                      + '.'));
        errors.clear();
    }

    void draws()
    {
        // From a normal draw of mean 19 and deviation 18, card 1 comes 1.846 and card 36 0.542
        // times as often as an even draw would bring them, and every card can come.
        std::array<int, 37> hits{};
        for (int i = 0; i < 1000000; ++i)
            ++hits.at(FormMain->RandomCardNumber());
        QVERIFY(!hits[0] && qAbs(hits[1] / 27778.0 - 1.846) < 0.025
                && qAbs(hits[36] / 27778.0 - 0.542) < 0.015);
        // A new game's shuffle is 18 exchanges of two cards drawn (here each odd card with the
        // next); a reshuffle tick that draws the card it has already chosen draws again: two
        // cards of different pairs change places.
        QList<int> expected = tags();
        for (int k = 0; k < 2 * 18; k += 2) {
            chance->draws << k + 0.5 << k + 1.5;
            expected.swapItemsAt(k, k + 1);
        }
        startGame(QStringLiteral("Ana"));
        QCOMPARE(tags(), expected);
        const int other = expected.indexOf(expected[0] % TFormMain::PairCount + 1);
        chance->draws = {0.5, 0.5, other + 0.5};
        FormMain->CheatTimer->Tick();
        expected.swapItemsAt(0, other);
        QCOMPARE(tags(), expected);
    }

    void nameDialog_data()
    {
        QTest::addColumn<Answer>("answer");
        for (const char *when : {"before a game", "during a game", "as the time runs out"}) {
            QTest::addRow("Enter, %s", when) << Answer{"Bob", "Return", "Bob", "", when};
            QTest::addRow("OK, %s", when) << Answer{"Bob", "OKBtn", "Bob", "", when};
            QTest::addRow("Enter on the focused OK, %s", when)
                    << Answer{"Bob", "Tab Return", "Bob", "", when};
            QTest::addRow("blanks only are a name, %s", when)
                    << Answer{"   ", "Return", "   ", "", when};
            QTest::addRow("Cancel, %s", when) << Answer{"Bob", "CancelBtn", "", "", when};
            QTest::addRow("Enter on the focused Cancel, %s", when)
                    << Answer{"Bob", "Tab Tab Return", "", "", when};
            QTest::addRow("Escape after a name, %s", when) << Answer{"Bob", "Escape", "", "", when};
            QTest::addRow("Enter on an empty box, %s", when) << Answer{"", "Return", "", "", when};
        }
        // Names as typed, up to twenty characters as a reader counts them; a twenty-first is
        // refused wherever the caret stands, and the caret stays.
        QTest::newRow("Serbian, Greek, emoji and the mark Qt keeps for unsaved changes")
                << Answer{"Đorđe Ζωή 🎉 [*]", "Return", "Đorđe Ζωή 🎉 [*]"};
        QTest::newRow("22 emoji typed, 20 kept")
                << Answer{QString("😀").repeated(22), "Return", QString("😀").repeated(20)};
        QTest::newRow("an accent counts once") << Answer{QString("e\u0301").repeated(11), "Return",
                                                         QString("e\u0301").repeated(11)};
        QTest::newRow("a full box")
                << Answer{"abcdefghijklmnopqrst", "Home X Delete Z Return", "zbcdefghijklmnopqrst"};
        QTest::newRow("a paste is cut to the room left") << Answer{
                "a", "Ctrl+V Return", "a" + QString("🎉").repeated(19), QString("🎉").repeated(25)};
        QTest::newRow("pasted line breaks become blanks")
                << Answer{"", "Ctrl+V Return", "Ana Bo  b", "Ana\nBo\r\nb"};
    }
    void nameDialog()
    {
        QFETCH(Answer, answer);
        const bool during = answer.when != "before a game", timeOut = answer.when.endsWith("out");
        if (during) {
            startGame(QStringLiteral("Ana"));
            FormMain->Timer->Tick();
        }
        const QList<int> board = tags();
        QGuiApplication::clipboard()->setText(answer.pasted);
        typed = answer.typed;
        pressed = (timeOut ? "! " : "") + answer.keys;
        FormMain->New1Click();
        // Without a name a running game goes on as it was, under its own name.
        const bool starts = !answer.player.isEmpty(), running = starts || (during && !timeOut);
        const QString player = starts ? answer.player : QStringLiteral("Ana");
        QCOMPARE(caption(), running ? "Duplora - " + player : QStringLiteral("Duplora"));
        QCOMPARE(tags() == board, !starts);
        FormMain->Timer->Tick();
        const QString time = running ? (starts ? "1" : "2") : timeOut ? "1200" : "";
        QCOMPARE(panel(1), time.isEmpty() ? QStringLiteral("Time:   ") : "Time: " + time + " s");
        // A double-click shows the results, whether or not a game runs. By time: the game running
        // now, then the one that ran out of time.
        FormMain->FormDblClick();
        QCOMPARE(opened.count(FormTop10), timeOut ? 2 : 1);
        QStringList results{running ? player : "", timeOut ? "Ana" : "", running ? time : "",
                            timeOut ? "1200" : ""};
        results.removeAll(QString());
        QCOMPARE(firstResult(), results);
        // The next show starts from an empty box that has the focus, however it was left.
        startGame(QStringLiteral("Zoe"));
        QCOMPARE(caption(), QStringLiteral("Duplora - Zoe"));
    }

    void rankings_data()
    {
        QTest::addColumn<QString>("games");
        QTest::addColumn<QString>("byTime");
        QTest::addColumn<QString>("byAttempts");
        // Where the last game stands by time and by attempts, among all those kept.
        QTest::addColumn<QString>("places");
        QTest::newRow("distinct") << "A 30 5, B 10 9, C 20 1"
                                  << "B C A"
                                  << "C A B"
                                  << "2 1";
        QTest::newRow("tied, in the order played") << "Bob 100 25, Ana 100 20"
                                                   << "Bob Ana"
                                                   << "Ana Bob"
                                                   << "2 1";
        QTest::newRow("a time-out, and ties") << "S0 10 4, S1 1200 3, S2 500 2, S3 500 1"
                                              << "S0 S2 S3 S1"
                                              << "S3 S2 S1 S0"
                                              << "3 1";
        QTest::newRow("zero time and attempts") << "Y 50 3, Z 0 0"
                                                << "Z Y"
                                                << "Z Y"
                                                << "1 1";
        // Eleven rows at most; the first of twenty-one games (Gi: i seconds, 100 - i attempts) was
        // shifted out of the full table. The fifth is played by a name wider than its box, as any
        // is in a larger face.
        const QString wide = QStringLiteral("WWWW WWWW WWWW WWWW WWWW WWWW");
        QStringList many;
        for (int i = 1; i <= 21; ++i)
            many << QStringLiteral("%1 %2 %3")
                            .arg(i == 5 ? wide : QStringLiteral("G%1").arg(i))
                            .arg(i)
                            .arg(100 - i);
        QTest::newRow("twenty-one games")
                << many.join(", ") << "G2 G3 G4 " + wide + " G6 G7 G8 G9 G10 G11 G12"
                << "G21 G20 G19 G18 G17 G16 G15 G14 G13 G12 G11"
                << "20 1";
    }
    void rankings()
    {
        QFETCH(QString, games);
        QFETCH(QString, byTime);
        QFETCH(QString, byAttempts);
        QFETCH(QString, places);
        const QStringList played = games.split(QStringLiteral(", "));
        for (const QString &game : played) {
            FormMain->PlayerName = game.section(' ', 0, -3);
            FormMain->Time = game.section(' ', -2, -2).toInt();
            FormMain->Attempts = game.section(' ', -1).toInt();
            FormMain->FinishGame();
        }
        // Each row shows one game played, with its own time and attempts, level in the three boxes
        // also after the wheel turned over the names: a row is one line in each box, and ten
        // rows show whole, the eleventh none. A screen reader hears each ranking's rows in its
        // names box's name, by time after the last game and its places.
        FormTop10->show();
        QVERIFY(QTest::qWaitForWindowExposed(FormTop10));
        const auto spoken = [](const QString &game) {
            return QStringLiteral("%1, %2 seconds, %3 attempts")
                    .arg(game.section(' ', 0, -3), game.section(' ', -2, -2),
                         game.section(' ', -1));
        };
        const QString toldByTime = QStringLiteral("Names by time. Last game: %1, place %2 by time, "
                                                  "place %3 by attempts. By time:")
                                           .arg(spoken(played.last()), places.section(' ', 0, 0),
                                                places.section(' ', 1));
        for (const auto &[order, by, told] :
             {std::tuple{byTime, "ByTime$", toldByTime},
              std::tuple{byAttempts, "ByAttempts$",
                         QStringLiteral("Names by attempts. By attempts:")}}) {
            const QList<TMemo *> memos = FormTop10->findChildren<TMemo *>(QRegularExpression(by));
            const QStringList names = linesOf(memos[0]), times = linesOf(memos[1]),
                              attempts = linesOf(memos[2]);
            QCOMPARE(names.join(' '), order);
            QString heard = told;
            for (int r = 0; r < names.size(); ++r) {
                const QString game = names[r] + ' ' + times.value(r) + ' ' + attempts.value(r);
                QVERIFY(played.contains(game));
                heard += QStringLiteral(" %1. %2.").arg(QString::number(r + 1), spoken(game));
            }
            QCOMPARE(QAccessible::queryAccessibleInterface(memos[0])->text(QAccessible::Name),
                     heard);
            const auto row = [&](TMemo *memo, int r) {
                return memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(r)));
            };
            QVERIFY(memos[0]->viewport()->rect().contains(memos[0]->cursorRect()));
            for (TMemo *memo : memos)
                QVERIFY2(unbroken(memo)
                                 && row(memo, qMin(names.size(), 10) - 1).bottom()
                                         < memo->viewport()->height()
                                 && (names.size() <= 10
                                     || row(memo, 10).top() >= memo->viewport()->height()),
                         qPrintable(memo->objectName()));
            QWheelEvent wheel({9, 9}, memos[0]->viewport()->mapToGlobal(QPointF(9, 9)), {},
                              {0, -120}, {}, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(memos[0]->viewport(), &wheel);
            for (TMemo *memo : memos)
                QCOMPARE(memo->cursorForPosition({0, 0}).blockNumber(), qMax(0, names.size() - 9));
        }
    }

    void windowTexts_data()
    {
        // A window and its controls by name, and what they show, each in full in the faces this
        // platform has; typing into a box changes nothing.
        QTest::addColumn<QString>("controls");
        QTest::addColumn<QString>("texts");
        QTest::newRow("main") << "FormMain Game1 New1 Exit1 Help1 About1 StatusBar1"
                              << "Duplora|Game|New|Exit|Help|About...|Info|Time:   |Attempts:   ";
        QTest::newRow("name") << "FormNewGame Label1 OKBtn CancelBtn"
                              << "New game|Enter your name:|OK|Cancel";
        QTest::newRow("results") << "FormTop10 Label1 Label2 Button1 mmoTop10NamesByTime Label3 "
                                    "Label4 Label5 Label6 Label7 Label8"
                                 << "Top 10|Top 10 (by Time):|Top 10 (by "
                                    "Attempts):|OK||Name|Time|Attempts|Name|Time|Attempts";
        QTest::newRow("about")
                << "FormAbout Label1 Label2 Label3 Label4 Button1 Memo1 Memo2 Memo3"
                << "About...|NASMEJ  SE!!!|Bilo je namesteno!|SMILE!!!|It was set up!|OK|"
                   "Za sve igrace kojima ime ne pocinje \nsa slovom F program u pozadini \n"
                   "nasumice menja raspored slika cineci \nigru mnogo tezom.|"
                   "For all players with names that doesn't \nstarts with letter F program in \n"
                   "background randomly changes order \nof pictures making a game lot more "
                   "\ndifficult.|"
                   "Program: \n  Name:          Duplora\n  Version:       1.0\n  Creation Date: "
                   "24.05.2007.\n"
                   "Contact: \n  The Duplora developers\n  Report problems through the\n  "
                   "project's issue tracker.\n  ";
    }
    void windowTexts()
    {
        QFETCH(QString, controls);
        QFETCH(QString, texts);
        const QList<QWidget *> forms{FormMain, FormNewGame, FormTop10, FormAbout};
        QWidget *form
                = *std::ranges::find(forms, controls.section(' ', 0, 0), &QObject::objectName);
        // A dialog nobody opened has no controls yet, that start-up would have measured.
        QVERIFY(form == FormMain || form->findChildren<QWidget *>().isEmpty());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QStringList shown;
        for (const QString &name : controls.split(' ')) {
            QObject *control = name == form->objectName() ? form : form->findChild<QObject *>(name);
            if (auto *memo = qobject_cast<TMemo *>(control))
                QTest::keyClicks(memo, "typed\b\r");
            shown << textOf(control);
            QVERIFY2(fits(control), qPrintable(name));
            // Under the dark theme the tests run in, every text stands on a light background, as it
            // was laid out, so that none reads worse than there.
            const auto *w = qobject_cast<QWidget *>(control);
            QVERIFY2(!w || w->palette().color(w->backgroundRole()).lightness() > 200,
                     qPrintable(name));
        }
        QCOMPARE(shown.join('|'), texts);
        // A dialog belongs to the main window, which keeps its size; the box a dialog opens with
        // shows that it has the focus (a caret that does not blink here).
        QVERIFY(form == FormMain ? form->minimumSize() == form->maximumSize()
                                 : form->parentWidget() == FormMain);
        if (QWidget *first = form->focusWidget(); form != FormMain) {
            const QImage focused = first->grab().toImage();
            QTest::keyClick(first, Qt::Key_Tab);
            QVERIFY(first->grab().toImage() != focused);
        }
    }

    void pictures_data()
    {
        // Every kind of bitmap among the fuzzer's seeds, and the cards' own, read pixel for pixel
        // as Qt's own reader reads them, or refused where it reads none; the broken seeds and a
        // folder refused, each with the file named and what is wrong with it.
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("refusal");
        const QString seeds = QStringLiteral(DUPLORA_SOURCE_DIR "/tests/fuzz/corpus/");
        for (const QString &kind : QDir(seeds).entryList({"depth*", "rle*", "core*"}))
            QTest::newRow(qPrintable(kind)) << seeds + kind << "";
        QTest::newRow("a card") << QStringLiteral(DUPLORA_SOURCE_DIR "/Images/7.bmp") << "";
        QTest::newRow("empty") << seeds + "broken-empty.bmp"
                               << "empty";
        QTest::newRow("zero width") << seeds + "broken-zero-width.bmp"
                                    << "no pixels";
        QTest::newRow("pixels short by one row") << seeds + "broken-truncated.bmp"
                                                 << "truncated";
        QTest::newRow("32 bits a pixel, a byte short") << seeds + "broken-short-32.bmp"
                                                       << "truncated";
        QTest::newRow("pixels before the file") << seeds + "broken-bad-offset.bmp"
                                                << "truncated";
        QTest::newRow("png renamed") << seeds + "broken-not-bmp.bmp"
                                     << "not a Windows bitmap";
        QTest::newRow("118 bytes claiming 5000 x 5000") << seeds + "broken-huge-claim.bmp"
                                                        << "5000 × 5000";
        QTest::newRow("a folder") << seeds << "folder";
    }
    void pictures()
    {
        QFETCH(QString, path);
        QFETCH(QString, refusal);
        QFile file(path);
        const QImage qts = file.open(QIODevice::ReadOnly) ? QImage::fromData(file.readAll(), "bmp")
                                                          : QImage();
        try {
            QCOMPARE(ReadBitmap(path).convertToFormat(QImage::Format_RGB32),
                     qts.convertToFormat(QImage::Format_RGB32));
            QCOMPARE(refusal, QString());
        } catch (const Exception &e) {
            QVERIFY2((!refusal.isEmpty() || qts.isNull())
                             && e.Message.contains(QDir::toNativeSeparators(path))
                             && e.Message.contains(refusal),
                     qPrintable(e.Message));
        }
    }
};

// Runs inside the game's own application object; each test starts from the folder with Images/.
int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    // The desktop's theme is dark.
    QApplication::setPalette(QPalette(QColor(53, 53, 53)));
    QApplication::styleHints()->setCursorFlashTime(0);
    PrepareApplication(app);
    TestGame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_game.moc"
