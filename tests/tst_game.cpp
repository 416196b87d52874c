// The game as a player reaches it: clicks, keys, ticks and the answers to its real windows, each
// rule a table; and the layer under it: the picture reader and errors escaping a handler.
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
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <random>

namespace {

// Chance from a fixed seed.
struct FixedSource : RandomSource
{
    std::mt19937_64 engine{1};
    void Seed(quint64) override { }
    double Gauss(double mean, double sd) override
    {
        return std::normal_distribution(mean, sd)(engine);
    }
};

// The windows that opened modally, and the messages of the error boxes, in order.
QList<QWidget *> opened;
QStringList errors;
// What the player does in the name dialog: types a text into the box that has the focus, then
// takes the steps of press().
QString typed, pressed;

void runOutOfTime()
{
    for (int t = 0; t < TFormMain::TimeLimit; ++t)
        FormMain->Timer->Tick();
}

// Steps separated by blanks, in WINDOW: a button clicked by name, "!" lets the clock reach its
// limit, anything else is a key ("Return", "Ctrl+V", ...) pressed where the focus is, or on
// the window before it gave any control the focus.
void press(QWidget *window, const QString &steps)
{
    for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step == "!")
            runOutOfTime();
        else if (auto *button = window->findChild<QPushButton *>(step))
            QTest::mouseClick(button, Qt::LeftButton);
        else if (QWidget *focus = window->focusWidget())
            QTest::keySequence(focus, QKeySequence::fromString(step));
        else
            QTest::keySequence(window, QKeySequence::fromString(step));
    }
}

void pressCard(int n)
{
    QAccessible::queryAccessibleInterface(FormMain->Cell(n))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
}

// Answers a window that opened modally while its real exec() runs, as a player would: the name
// dialog as told above; Top 10, deaf to Escape, and About by the keys that reach their OK; an
// error box by Enter, its message noted. A screen reader's press on the board meanwhile does
// nothing, and an error raised while the box is open opens no second box. A window that stays
// open fails the test, and is closed so that the test ends.
void answer(QWidget *window)
{
    opened << window;
    const auto closed = qScopeGuard([window] {
        if (!QTest::qWaitFor([window] { return window->isHidden(); }, 2000)) {
            static_cast<QDialog *>(window)->reject();
            QTest::qFail(qPrintable(window->windowTitle() + " stayed open"), __FILE__, __LINE__);
        }
    });
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (FormMain)
        pressCard(1);
    if (window == FormNewGame) {
        // One key press a character: QTest::keyClicks knows Latin-1 only.
        for (char32_t c : typed.toUcs4())
            QTest::sendKeyEvent(QTest::KeyAction::Press, window->focusWidget(), Qt::Key_unknown,
                                QString::fromUcs4(&c, 1), {});
        press(window, pressed);
    } else if (window == FormTop10) {
        press(window, "Escape");
        QVERIFY2(window->isVisible(), "Escape closed Top 10");
        press(window, "Tab Return");
    } else if (window == FormAbout) {
        press(window, "Down Tab Tab Tab Return");
    } else if (auto *box = qobject_cast<QMessageBox *>(window)) {
        errors << box->text();
        ShowException(Exception(QStringLiteral("while the box is open")));
        press(box, "Return");
    }
}

// Answers each modal window once, also one that opens over another: Qt fires no timer again while
// its last tick is being handled, so each look arms the next first.
void answerModals()
{
    QTimer::singleShot(10, answerModals);
    static QSet<QWidget *> answering;
    QWidget *window = QApplication::activeModalWidget();
    if (!window || answering.contains(window))
        return;
    answering << window;
    answer(window);
    answering.remove(window);
}

struct Script
{
    QString player, clicks;
    int attempts;
    // The cards face up, and those the hidden reshuffle must leave alone besides them; turned by
    // the click a card's cell reports, by a mouse click at the middle of the card as Qt's
    // hit-testing routes it, or by a screen reader.
    QString up, spared, by = QStringLiteral("click");
};

// An answer to the name dialog: typed, then pasted with Ctrl+V, the keys pressed or buttons
// clicked, and the player of the game that starts (none: no new game); given before a game,
// during one, or as the time runs out.
struct Answer
{
    QString typed, keys, player, pasted = {}, when = QStringLiteral("before a game");
};

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Answer)

// Fresh windows, driven clocks and chance for every test; every modal window is answered as
// above while it is open.
class TestGame : public QObject
{
    Q_OBJECT
private:
    static void startGame(const QString &name)
    {
        typed = name;
        pressed = QStringLiteral("Return");
        FormMain->New1Click();
    }

    static QList<int> tags()
    {
        QList<int> ids;
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            ids << FormMain->FindImage(n)->Tag();
        return ids;
    }

    // The cards whose number and pair id pass a test.
    static QSet<int> cardsWhere(const std::function<bool(int n, int pairId)> &wanted)
    {
        QSet<int> cards;
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            if (wanted(n, FormMain->FindImage(n)->Tag()))
                cards << n;
        }
        return cards;
    }

    // Cards named by pair: "a" and "A" are the two cards of pair 1, the lower card number first;
    // "b" and "B" those of pair 2, and so on; pairs(k), both cards of the first k pairs.
    static QString pairs(int count)
    {
        return QStringLiteral("aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrR").left(2 * count);
    }
    static QSet<int> cardsOf(const QString &names)
    {
        QSet<int> cards;
        const QList<int> ids = tags();
        for (QChar name : names) {
            const int id = name.toLower().unicode() - 'a' + 1;
            cards << 1 + (name.isUpper() ? ids.lastIndexOf(id) : ids.indexOf(id));
        }
        return cards;
    }
    static int cardOf(QChar name) { return *cardsOf(name).begin(); }

    // Every card shows the picture of its own pair id.
    static bool deckIsSound()
    {
        const auto ownPicture = [](int n, int id) {
            const QString path = DUPLORA_SOURCE_DIR "/" + TFormMain::PicturePath(id);
            return FormMain->FindImage(n)->pixmap().toImage() == ReadBitmap(path);
        };
        return cardsWhere(ownPicture).size() == TFormMain::CardCount;
    }

    static QString panel(int index) { return FormMain->StatusBar1->PanelText(index); }
    // The main window's caption as the window system shows it.
    static QString caption()
    {
        return FormMain->winId() ? FormMain->windowHandle()->title() : QString();
    }
    // A box of a window never opened does not exist yet: it shows nothing.
    static QStringList linesOf(const TMemo *memo)
    {
        return memo ? memo->toPlainText().split('\n', Qt::SkipEmptyParts) : QStringList();
    }
    static QStringList firstResult()
    {
        return linesOf(FormTop10->mmoTop10NamesByTime) + linesOf(FormTop10->mmoTop10TimesByTime);
    }
    static QString heardOf(const QObject *control)
    {
        return QAccessible::queryAccessibleInterface(const_cast<QObject *>(control))
                ->text(QAccessible::Name);
    }

    // A press through the window, so that Qt's hit-testing decides what it reaches: a click on the
    // middle of a card named by pair, a double-click between the cards ("~", "^" with the right
    // button) or on the status bar ("="). With DRAG, the press on a card is let go of below it.
    static void mouseOn(QChar name, bool drag = false)
    {
        QWindow *window = FormMain->windowHandle();
        if (name.isLetter()) {
            const QPoint at = FormMain->Cell(cardOf(name))->mapTo(FormMain, QPoint(26, 26));
            QTest::mousePress(window, Qt::LeftButton, {}, at);
            QTest::mouseRelease(window, Qt::LeftButton, {}, at + QPoint(0, drag ? 30 : 0));
            return;
        }
        const QPoint at = FormMain->ClientArea->mapTo(
                FormMain, name == '=' ? QPoint(200, 358) : QPoint(62, 62));
        QTest::mouseDClick(window, name == '^' ? Qt::RightButton : Qt::LeftButton, {}, at);
    }

    // Each line of a box on one line of its own, as laid out.
    static bool unbroken(const TMemo *memo)
    {
        return memo->document()->lineCount() == memo->document()->blockCount();
    }

    // A label shows its whole text; a box shows each of its lines whole, on one line.
    static bool fits(const QWidget *control)
    {
        if (auto *label = qobject_cast<const QLabel *>(control)) {
            const QRect ink = label->fontMetrics().tightBoundingRect(label->text());
            return ink.right() < label->width() && ink.height() <= label->height();
        }
        auto *memo = qobject_cast<const TMemo *>(control);
        const qreal width = memo->document()->documentLayout()->documentSize().width();
        return unbroken(memo) && width <= memo->viewport()->width();
    }

private slots:
    void initTestCase() { answerModals(); }
    void init()
    {
        QDir::setCurrent(QStringLiteral(DUPLORA_SOURCE_DIR));
        TestHooks::ManualTimers = true;
        TestHooks::SetRandomSource(std::make_unique<FixedSource>());
        opened.clear();
        errors.clear();
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
            // A player acts once the window system has caught up: a dialog's opener is active.
            QCoreApplication::processEvents();
            if (name == '|') {
                startGame(script.player);
            } else if (name == '!') {
                runOutOfTime();
            } else if (script.by == "click") {
                FormMain->s01Click(FormMain->Cell(cardOf(name)));
            } else if (script.by != "reader") {
                mouseOn(name, script.by == "drag");
            } else {
                // The call returns before the press takes effect, as a real button's does.
                TImage *card = FormMain->FindImage(cardOf(name));
                const std::pair before{card->FaceUp(), FormMain->Attempts};
                pressCard(cardOf(name));
                QVERIFY(std::pair(card->FaceUp(), FormMain->Attempts) == before);
                // Once it has: each card told by its pair's picture, each second card's outcome.
                QCoreApplication::processEvents();
                heard += name.toLower();
                QString told = QStringLiteral("Picture %1").arg(name.toLower().unicode() - 'a' + 1);
                if (heard.size() % 2 == 0) {
                    told += heard.right(1) == heard.right(2).left(1)
                            ? ", a match"
                            : ", no match: both turn back at the next card";
                }
                QCOMPARE(heardOf(FormMain->Announcer), told);
            }
        }
        QCoreApplication::processEvents();
        const QSet<int> up = cardsOf(script.up), kept = up + cardsOf(script.spared);
        QCOMPARE(FormMain->Attempts, script.attempts);
        if (script.attempts)
            QCOMPARE(panel(2), QStringLiteral("Attempts: %1").arg(script.attempts));
        QCOMPARE(cardsWhere([](int n, int) { return FormMain->FindImage(n)->FaceUp(); }), up);
        // A game over shows its result, and its clock stands still.
        const bool timedOut = script.clicks.contains('!');
        const bool over
                = timedOut || up.size() == TFormMain::CardCount || script.clicks.contains('~');
        QCOMPARE(opened.count(FormTop10), over ? 1 : 0);
        const QString time = timedOut ? "1200" : "0";
        QCOMPARE(firstResult(), over ? QStringList({script.player, time}) : QStringList());
        FormMain->Timer->Tick();
        QCOMPARE(panel(1), timedOut ? "Time: 1200 s" : over ? "Time:   " : "Time: 1 s");
        // A screen reader's status-bar command finds the bar and reads its time and attempts.
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(FormMain->StatusBar1);
        const QString read = bar->textInterface()->text(0, bar->textInterface()->characterCount());
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QVERIFY2(read.contains(panel(1).trimmed()) && read.contains(panel(2).trimmed()),
                 qPrintable(read));
        // Screen readers hear each card as a button. The keyboard is back in the main window: its
        // first Tab puts the focus on card 1, and the arrows walk the grid and stop at its edges
        // (each key and the card it leaves the focus on), where the focus frame shows alone, over
        // a picture too.
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        const QString walk = "Tab 1 Left 1 Up 1 Down 7 Left 7 Right 8 Right 9 Right 10 Right 11 "
                             "Right 12 Right 12 Down 18 Down 24 Down 30 Down 36 Down 36 Left 35";
        for (const QString &step : walk.split(' ')) {
            if (step.front().isLetter())
                press(FormMain, step);
            else
                QCOMPARE(QApplication::focusWidget(), FormMain->Cell(step.toInt()));
        }
        const QColor frame = FormMain->palette().color(QPalette::Highlight);
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            const QString told = up.contains(n)
                    ? QStringLiteral("Card %1, face up, picture %2").arg(n).arg(tags()[n - 1])
                    : QStringLiteral("Card %1, face down").arg(n);
            QCOMPARE(QAccessible::queryAccessibleInterface(FormMain->Cell(n))->role(),
                     QAccessible::Button);
            QCOMPARE(heardOf(FormMain->Cell(n)), told);
            QCOMPARE(FormMain->Cell(n)->grab().toImage().pixelColor(3, 26) == frame, n == 35);
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
        for (int k = 1; k < TFormMain::PairCount; ++k) {
            const QString path = TFormMain::PicturePath(k);
            QVERIFY(QFile::copy(DUPLORA_SOURCE_DIR "/" + path, path));
        }
        for (int tick = 0; tick < 100; ++tick)
            FormMain->CheatTimer->Tick();
        QVERIFY(errors.isEmpty());
        QCoreApplication::processEvents();
        const QString missing = QDir::toNativeSeparators(QStringLiteral("Images/18.bmp"));
        QVERIFY(!errors.isEmpty() && errors.filter(missing).size() == errors.size());
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
        const QString folder = QDir::current().absoluteFilePath(QStringLiteral("Images"));
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QDir::toNativeSeparators(QStringLiteral("Images/1.bmp"))));
        QVERIFY(errors[0].contains(QDir::toNativeSeparators(folder) + '.'));
        errors.clear();
    }

    void newBoards()
    {
        // Each new game deals a board of its own: a player who remembers where the last board,
        // the face-up one at start-up too, showed each picture finds fewer than half the cards
        // there.
        for (const char *player : {"Ana", "Fred", "Bob"}) {
            const QList<int> seen = tags();
            startGame(player);
            QVERIFY(cardsWhere([&](int n, int id) { return id == seen[n - 1]; }).size()
                    < TFormMain::CardCount / 2);
            QVERIFY(deckIsSound());
        }
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
        const QString party = QStringLiteral("🎉"), smile = QStringLiteral("😀");
        QTest::newRow("Serbian, Greek, emoji and the mark Qt keeps for unsaved changes")
                << Answer{"Đorđe Ζωή 🎉 [*]", "Return", "Đorđe Ζωή 🎉 [*]"};
        QTest::newRow("22 emoji typed, 20 kept")
                << Answer{smile.repeated(22), "Return", smile.repeated(20)};
        QTest::newRow("an accent counts once") << Answer{QString("e\u0301").repeated(11), "Return",
                                                         QString("e\u0301").repeated(11)};
        QTest::newRow("a full box")
                << Answer{"abcdefghijklmnopqrst", "Home X Delete Z Return", "zbcdefghijklmnopqrst"};
        QTest::newRow("a paste is cut to the room left")
                << Answer{"a", "Ctrl+V Return", "a" + party.repeated(19), party.repeated(25)};
        QTest::newRow("pasted line breaks become blanks")
                << Answer{"", "Ctrl+V Return", "Ana Bo  b", "Ana\nBo\r\nb"};
    }
    void nameDialog()
    {
        QFETCH(Answer, answer);
        const bool during = answer.when != "before a game";
        const bool timeOut = answer.when.endsWith("out");
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
        for (int i = 1; i <= 21; ++i) {
            const QString name = i == 5 ? wide : QStringLiteral("G%1").arg(i);
            many << QStringLiteral("%1 %2 %3").arg(name).arg(i).arg(100 - i);
        }
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
        QCOMPARE(opened.count(FormTop10), played.size());
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
        const QString last
                = QStringLiteral("Last game: %1, place %2 by time, place %3 by attempts.")
                          .arg(spoken(played.last()), places.section(' ', 0, 0),
                               places.section(' ', 1));
        const QList<std::tuple<QString, QString, QString>> rankings{
                {byTime, "ByTime$", "Names by time. " + last + " By time:"},
                {byAttempts, "ByAttempts$", "Names by attempts. By attempts:"}};
        for (const auto &[order, by, told] : rankings) {
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
            QCOMPARE(heardOf(memos[0]), heard);
            QVERIFY(memos[0]->viewport()->rect().contains(memos[0]->cursorRect()));
            for (TMemo *memo : memos) {
                const auto row = [memo](int r) {
                    const QTextBlock block = memo->document()->findBlockByNumber(r);
                    return memo->cursorRect(QTextCursor(block));
                };
                const int height = memo->viewport()->height();
                QVERIFY2(unbroken(memo), qPrintable(memo->objectName()));
                QVERIFY(row(qMin(names.size(), 10) - 1).bottom() < height);
                QVERIFY(names.size() <= 10 || row(10).top() >= height);
            }
            QWheelEvent wheel({9, 9}, memos[0]->viewport()->mapToGlobal(QPointF(9, 9)), {},
                              {0, -120}, {}, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(memos[0]->viewport(), &wheel);
            for (TMemo *memo : memos)
                QCOMPARE(memo->cursorForPosition({0, 0}).blockNumber(), qMax(0, names.size() - 9));
        }
    }

    void windows()
    {
        // Every window shows each label and each line of its boxes whole in the faces this
        // platform has, on a light background under the dark theme the tests run in, as it was
        // laid out, so that no text reads worse than there; typing into a box changes nothing.
        // The main window keeps its size. A dialog belongs to the main window; its controls are
        // made at its first opening, not at start-up; the box it opens with shows that it has the
        // focus (a caret that does not blink here).
        QVERIFY(FormMain->minimumSize() == FormMain->maximumSize());
        const QList<TForm *> dialogs{FormNewGame, FormTop10, FormAbout};
        for (TForm *form : dialogs)
            QVERIFY(form->findChildren<QWidget *>().isEmpty() && form->parentWidget() == FormMain);
        // F1 opens About over the game; its keys close it again.
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowActive(FormMain));
        QTest::keyClick(FormMain, Qt::Key_F1);
        QCOMPARE(opened, QList<QWidget *>{FormAbout});
        for (TForm *form : dialogs) {
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QWidget *first = form->focusWidget();
            const QImage focused = first->grab().toImage();
            QTest::keyClick(first, Qt::Key_Tab);
            QVERIFY2(first->grab().toImage() != focused, qPrintable(form->objectName()));
        }
        for (QWidget *form : QList<QWidget *>{FormMain, FormNewGame, FormTop10, FormAbout}) {
            QList<QWidget *> controls{form};
            for (QWidget *control : form->findChildren<QWidget *>()) {
                if (qobject_cast<QLabel *>(control) || qobject_cast<TMemo *>(control))
                    controls << control;
            }
            for (QWidget *control : controls) {
                const QString name = control->objectName();
                if (qobject_cast<TImage *>(control))
                    continue;
                QVERIFY2(control->palette().color(control->backgroundRole()).lightness() > 200,
                         qPrintable(name));
                if (control != form)
                    QVERIFY2(fits(control), qPrintable(name));
                if (auto *memo = qobject_cast<TMemo *>(control)) {
                    const QString text = memo->toPlainText();
                    QTest::keyClicks(memo, "typed\b\r");
                    QCOMPARE(memo->toPlainText(), text);
                }
            }
        }
    }

    void clockAtRest()
    {
        // The clock keeps time by itself while a game runs; once the game is over, no timer of
        // the main window wakes the program.
        TestHooks::ManualTimers = false;
        FormMain->show();
        startGame(QStringLiteral("Ana"));
        QTRY_COMPARE_WITH_TIMEOUT(panel(1), QStringLiteral("Time: 1 s"), 3000);
        FormMain->FormDblClick();
        for (const QTimer *timer : FormMain->findChildren<QTimer *>())
            QVERIFY(!timer->isActive());
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
        QImage qts;
        if (file.open(QIODevice::ReadOnly))
            qts = QImage::fromData(file.readAll(), "bmp");
        try {
            const QImage ours = ReadBitmap(path);
            QCOMPARE(ours.convertToFormat(QImage::Format_RGB32),
                     qts.convertToFormat(QImage::Format_RGB32));
            QCOMPARE(refusal, QString());
        } catch (const Exception &e) {
            QVERIFY2(!refusal.isEmpty() || qts.isNull(), qPrintable(e.Message));
            QVERIFY2(e.Message.contains(QDir::toNativeSeparators(path)), qPrintable(e.Message));
            QVERIFY2(e.Message.contains(refusal), qPrintable(e.Message));
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
