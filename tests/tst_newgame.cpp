// The name dialog and starting a game through it, typed as a player types.
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

// Answers the name dialog: types `text`, then presses `key` (Return, Escape) or clicks `button`.
void answerWith(const QString &text, Qt::Key key, QPushButton *TFormNewGame::*button = nullptr)
{
    TestHooks::Modal = [=](TForm &form) {
        seen().modal << &form;
        if (&form != FormNewGame)
            return;
        QCOMPARE(FormNewGame->edtPlayerName->text(), QString());
        typeText(FormNewGame->edtPlayerName, text);
        if (button)
            QTest::mouseClick(FormNewGame->*button, Qt::LeftButton);
        else
            QTest::keyClick(FormNewGame->edtPlayerName, key);
    };
}

// The ways a player leaves the dialog without a name, numbered as the data rows below.
void answerWithoutName(int way)
{
    switch (way) {
    case 0: answerWith(QString(), Qt::Key_Escape); break;
    case 1: answerWith(QString(), Qt::Key_unknown, &TFormNewGame::CancelBtn); break;
    case 2: answerWith(QString(), Qt::Key_Return); break;
    case 3: answerWith(QString(), Qt::Key_unknown, &TFormNewGame::OKBtn); break;
    default: answerWith(QStringLiteral("Bob"), Qt::Key_unknown, &TFormNewGame::CancelBtn); break;
    }
}

struct Snapshot {
    QString caption, name;
    int attempts, time, cardsLeft;
    bool running, cheat;
    QList<int> tags;
    QList<bool> faces;
    static Snapshot take()
    {
        Snapshot s{FormMain->windowTitle(), FormMain->PlayerName, FormMain->Attempts, FormMain->Time,
                   FormMain->CardsLeft, FormMain->GameRunning(), FormMain->CheatTimer->Enabled(), {}, {}};
        for (int n = 1; n <= TFormMain::CardCount; ++n) {
            s.tags << FormMain->FindImage(n)->Tag();
            s.faces << FormMain->FindImage(n)->FaceUp();
        }
        return s;
    }
    bool operator==(const Snapshot &) const = default;
};

} // namespace

class TestNewGame : public GameTest {
    Q_OBJECT
private slots:

    void dialogLayout();
    void startsAGame_data();
    void startsAGame();
    void namesAreKeptAsTyped_data();
    void namesAreKeptAsTyped();
    void noNameBeforeAGame_data();
    void noNameBeforeAGame();
    void noNameDuringAGame_data();
    void noNameDuringAGame();
    void newGameDuringAGameStartsAfresh();
    void timeOutWhileTheDialogIsOpen();
    void failedShuffleLeavesNoGameRunning();
};

void TestNewGame::dialogLayout()
{
    TestHooks::Modal = [](TForm &form) {
        QCOMPARE(&form, FormNewGame);
        const QRect screen = form.screen()->availableGeometry();
        QCOMPARE(form.frameGeometry().center(), screen.center());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), FormNewGame->edtPlayerName);
        QTest::keyClick(&form, Qt::Key_Escape);
    };
    FormMain->New1Click();
    QCOMPARE(FormNewGame->windowTitle(), QStringLiteral("New game"));
    QCOMPARE(FormNewGame->size(), QSize(233, 93));
    QCOMPARE(FormNewGame->minimumSize(), FormNewGame->maximumSize());
    const Qt::WindowFlags flags = FormNewGame->windowFlags();
    QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(FormNewGame->Label1->text(), QStringLiteral("Enter your name:"));
    QCOMPARE(misplaced(FormNewGame->Label1, {8, 9, 80, 13}), QString());
    QCOMPARE(FormNewGame->edtPlayerName->geometry(), QRect(8, 27, 217, 21));
    QCOMPARE(FormNewGame->OKBtn->text(), QStringLiteral("OK"));
    QCOMPARE(FormNewGame->OKBtn->geometry(), QRect(70, 59, 75, 25));
    QVERIFY(FormNewGame->OKBtn->isDefault());
    QCOMPARE(FormNewGame->CancelBtn->text(), QStringLiteral("Cancel"));
    QCOMPARE(FormNewGame->CancelBtn->geometry(), QRect(150, 59, 75, 25));
    QCOMPARE(FormNewGame->edtPlayerName->nextInFocusChain(), FormNewGame->OKBtn);
    QCOMPARE(FormNewGame->OKBtn->nextInFocusChain(), FormNewGame->CancelBtn);
}

void TestNewGame::startsAGame_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("reshuffles");
    QTest::newRow("Ana") << "Ana" << true;
    QTest::newRow("Fred") << "Fred" << false;
    QTest::newRow("fiona") << "fiona" << false;
    QTest::newRow("leading blank") << " Fred" << true;
    QTest::newRow("9lives") << "9lives" << true;
    QTest::newRow("blanks only") << "   " << true;
}

void TestNewGame::startsAGame()
{
    QFETCH(QString, name);
    QFETCH(bool, reshuffles);
    answerWith(name, Qt::Key_Return);
    FormMain->New1Click();
    QVERIFY(!FormNewGame->isVisible());
    QCOMPARE(FormMain->PlayerName, name);
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora - ") + name);
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        QVERIFY(!FormMain->FindImage(n)->FaceUp());
    QVERIFY(deckIsSound());
    QCOMPARE(FormMain->Attempts, 0);
    QCOMPARE(FormMain->Time, 0);
    QCOMPARE(FormMain->CardsLeft, 36);
    QVERIFY(FormMain->FirstOfPair);
    QCOMPARE(FormMain->Recent, (std::array<TImage *, 6>{}));
    QVERIFY(FormMain->GameRunning());
    QCOMPARE(FormMain->CheatActive, reshuffles);
    QCOMPARE(FormMain->CheatTimer->Enabled(), reshuffles);
    // The status texts are left to the first tick and the first pair.
    QCOMPARE(FormMain->StatusBar1->PanelText(1), QStringLiteral("Time:   "));
    QCOMPARE(FormMain->StatusBar1->PanelText(2), QStringLiteral("Attempts:   "));
}

void TestNewGame::namesAreKeptAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("Serbian Latin") << "Đorđe Šćekić" << "Đorđe Šćekić";
    QTest::newRow("Greek") << "Ζωή" << "Ζωή";
    QTest::newRow("emoji") << "Ana 🎉🎉" << "Ana 🎉🎉";
    QTest::newRow("exactly 20") << "abcdefghijklmnopqrst" << "abcdefghijklmnopqrst";
    QTest::newRow("21 typed, 20 kept") << "abcdefghijklmnopqrstu" << "abcdefghijklmnopqrst";
    QTest::newRow("20 emoji") << QStringLiteral("😀").repeated(22) << QStringLiteral("😀").repeated(20);
    QTest::newRow("accents count once") << QStringLiteral("e\u0301").repeated(11) << QStringLiteral("e\u0301").repeated(11);
}

void TestNewGame::namesAreKeptAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    answerWith(typed, Qt::Key_Return);
    FormMain->New1Click();
    QCOMPARE(FormMain->PlayerName, kept);
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora - ") + kept);

    // A pasted text is cut the same way.
    TestHooks::Modal = [&typed](TForm &form) {
        if (&form != FormNewGame)
            return;
        FormNewGame->edtPlayerName->setText(typed + typed);
        QTest::mouseClick(FormNewGame->OKBtn, Qt::LeftButton);
    };
    FormMain->New1Click();
    QCOMPARE(FormMain->PlayerName, FirstCharacters(typed + typed, TFormNewGame::MaxNameLength));
    QCOMPARE(FirstCharacters(FormMain->PlayerName, 100), FormMain->PlayerName);
    FormMain->FinishGame();
    QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), QStringList{FormMain->PlayerName});
}

void TestNewGame::noNameBeforeAGame_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Escape") << 0;
    QTest::newRow("Cancel button") << 1;
    QTest::newRow("Enter on an empty box") << 2;
    QTest::newRow("OK button on an empty box") << 3;
    QTest::newRow("Cancel after typing") << 4;
}

void TestNewGame::noNameBeforeAGame()
{
    QFETCH(int, answer);
    answerWithoutName(answer);
    FormMain->setWindowTitle(QStringLiteral("something else"));
    FormMain->New1Click();
    QVERIFY(!FormNewGame->isVisible());
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora"));
    QVERIFY(!FormMain->GameRunning());
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        QVERIFY(FormMain->FindImage(n)->FaceUp());
    clickCard(1);
    QCOMPARE(FormMain->Attempts, 0);
    QCOMPARE(FormMain->Recent[0], nullptr);
}

void TestNewGame::noNameDuringAGame_data() { noNameBeforeAGame_data(); }

void TestNewGame::noNameDuringAGame()
{
    // The dialog used to empty the running game's name, so it was recorded nameless.
    QFETCH(int, answer);
    startGame(QStringLiteral("Ana"));
    const QList<int> pair = cardsOfPair(5);
    clickCard(pair[0]);
    clickCard(pair[1]);
    FormMain->Timer->Tick();
    const Snapshot before = Snapshot::take();
    answerWithoutName(answer);
    FormMain->New1Click();
    QVERIFY(Snapshot::take() == before);
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora - Ana"));
    FormMain->FinishGame();
    QCOMPARE(FormMain->ResultNames[0], QStringLiteral("Ana"));
    QCOMPARE(FormMain->ResultTimes[0], 1);
    QCOMPARE(FormMain->ResultAttempts[0], 1);
}

void TestNewGame::newGameDuringAGameStartsAfresh()
{
    startGame(QStringLiteral("Ana"));
    clickCard(cardsOfPair(3)[0]);
    clickCard(cardsOfPair(4)[0]);
    FormMain->Timer->Tick();
    startGame(QStringLiteral("Bob"));
    QCOMPARE(FormMain->PlayerName, QStringLiteral("Bob"));
    QCOMPARE(FormMain->Attempts, 0);
    QCOMPARE(FormMain->Time, 0);
    QCOMPARE(FormMain->ResultCount, 0);
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        QVERIFY(!FormMain->FindImage(n)->FaceUp());
    // The dialog opens empty, also right after a name was entered.
    answerWith(QString(), Qt::Key_Escape);
    FormMain->New1Click();
    QCOMPARE(FormNewGame->edtPlayerName->text(), QString());
}

void TestNewGame::timeOutWhileTheDialogIsOpen()
{
    startGame(QStringLiteral("Ana"));
    seen().modal.clear();
    FormMain->Time = TFormMain::TimeLimit - 1;
    TestHooks::Modal = [](TForm &form) {
        seen().modal << &form;
        if (&form == FormNewGame) {
            FormMain->Timer->Tick();
            QVERIFY(FormNewGame->isVisible());
            QTest::keyClick(FormNewGame->edtPlayerName, Qt::Key_Escape);
        }
    };
    FormMain->New1Click();
    QCOMPARE(seen().modal, (QList<TForm *>{FormNewGame, FormTop10}));
    QCOMPARE(FormMain->ResultCount, 1);
    QCOMPARE(FormMain->ResultNames[0], QStringLiteral("Ana"));
    QCOMPARE(FormMain->ResultTimes[0], 1200);
    QVERIFY(!FormMain->GameRunning());
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora"));
}

void TestNewGame::failedShuffleLeavesNoGameRunning()
{
    // A picture failing during the shuffle of Game > New used to leave the previous game's
    // clock and counters running over a half-prepared board.
    startGame(QStringLiteral("Ana"));
    {
        QList<int> all;
        for (int k = 1; k <= TFormMain::PairCount; ++k)
            all << k;
        const PictureFolder none(all);
        QVERIFY_THROWS_EXCEPTION(Exception, startGame(QStringLiteral("Bob")));
        QVERIFY(!FormMain->GameRunning());
        QVERIFY(!FormMain->CheatTimer->Enabled());
        QCOMPARE(FormMain->ResultCount, 0);
    }
    startGame(QStringLiteral("Bob"));
    QVERIFY(FormMain->GameRunning());
    QVERIFY(deckIsSound());
}

DUPLORA_TEST_MAIN(TestNewGame)
#include "tst_newgame.moc"
