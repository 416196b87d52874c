// The windows around a game: the name dialog, the results, About, and every text they show.
#include "TestSupport.h"

#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace {

// Records finished games given as "name time attempts, ...".
QMap<QString, QString> play(const QString &games)
{
    QMap<QString, QString> rows;
    for (const QString &game : games.split(QStringLiteral(", "))) {
        const QStringList g = game.split(' ');
        FormMain->PlayerName = g[0];
        FormMain->Time = g[1].toInt();
        FormMain->Attempts = g[2].toInt();
        FormMain->FinishGame();
        rows[g[0]] = game;
    }
    return rows;
}

// Games G1 ... Gcount, in falling times and rising attempts, or the other way round.
QString numbered(int count, bool timesFall)
{
    QStringList games;
    for (int i = 1; i <= count; ++i)
        games << QStringLiteral("G%1 %2 %3").arg(i).arg(timesFall ? 100 - i : i).arg(timesFall ? i : 100 - i);
    return games.join(QStringLiteral(", "));
}

// What a control shows: its text, a box's lines, a window's caption, the status bar's panels.
QString textOf(const QObject *control)
{
    if (auto *bar = qobject_cast<const TStatusBar *>(control))
        return bar->PanelText(0) + '|' + bar->PanelText(1) + '|' + bar->PanelText(2);
    if (auto *memo = qobject_cast<const TMemo *>(control))
        return memo->toPlainText();
    if (auto *menu = qobject_cast<const QMenu *>(control))
        return menu->title();
    for (const char *property : {"text", "windowTitle"})
        if (control->property(property).isValid())
            return control->property(property).toString();
    return {};
}

} // namespace

class TestDialogs : public GameTest {
    Q_OBJECT
private slots:
    void nameDialog_data()
    {
        // What the player types into the box that has the focus, the keys pressed or buttons
        // clicked then, and the player of the game that starts (none: no new game).
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("player");
        QTest::addColumn<bool>("during");
        for (const bool during : {false, true}) {
            const char *when = during ? "during a game" : "before a game";
            QTest::addRow("Enter, %s", when) << "Bob" << "Return" << "Bob" << during;
            QTest::addRow("OK, %s", when) << "Bob" << "OKBtn" << "Bob" << during;
            QTest::addRow("Enter on the focused OK, %s", when) << "Bob" << "Tab Return" << "Bob" << during;
            QTest::addRow("blanks only are a name, %s", when) << "   " << "Return" << "   " << during;
            QTest::addRow("Cancel, %s", when) << "Bob" << "CancelBtn" << "" << during;
            QTest::addRow("Enter on the focused Cancel, %s", when) << "Bob" << "Tab Tab Return" << "" << during;
            QTest::addRow("Escape after a name, %s", when) << "Bob" << "Escape" << "" << during;
            QTest::addRow("Enter on an empty box, %s", when) << "" << "Return" << "" << during;
            QTest::addRow("OK on an empty box, %s", when) << "" << "OKBtn" << "" << during;
        }
        // A twenty-first character is refused wherever the caret stands, and the caret stays.
        QTest::newRow("a full box") << "abcdefghijklmnopqrst" << "Home X Delete Z Return" << "zbcdefghijklmnopqrst" << false;
    }
    void nameDialog()
    {
        QFETCH(QString, name);
        QFETCH(QString, keys);
        QFETCH(QString, player);
        QFETCH(bool, during);
        if (during) {
            startGame(QStringLiteral("Ana"));
            clickCard(cardsOfPair(1)[0]);
            FormMain->Timer->Tick();
        }
        const QList<int> board = tags();
        typed = name;
        pressed = keys;
        FormMain->New1Click();
        QVERIFY(!FormNewGame->isVisible());
        QCOMPARE(FormNewGame->frameGeometry().center(), FormNewGame->screen()->availableGeometry().center());
        // Without a name a running game goes on as it was, under its own name.
        const bool starts = !player.isEmpty(), running = starts || during;
        player = starts ? player : QStringLiteral("Ana");
        QCOMPARE(caption(), running ? "Duplora - " + player : QStringLiteral("Duplora"));
        QCOMPARE(tags() == board, !starts);
        FormMain->Timer->Tick();
        QCOMPARE(panel(1), running ? QStringLiteral("Time: %1 s").arg(starts ? 1 : 2) : QStringLiteral("Time:   "));
        FormMain->FormDblClick();
        QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime) + linesOf(FormTop10->mmoTop10TimesByTime),
                 running ? (QStringList{player, starts ? "1" : "2"}) : QStringList());
        // The next show starts from an empty box that has the focus, however it was left.
        startGame(QStringLiteral("Zoe"));
        QCOMPARE(caption(), QStringLiteral("Duplora - Zoe"));
    }

    void namesAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::newRow("Serbian Latin") << "Đorđe Šćekić" << false << "Đorđe Šćekić";
        QTest::newRow("Greek and emoji") << "Ζωή 🎉🎉" << false << "Ζωή 🎉🎉";
        QTest::newRow("21 typed, 20 kept") << "abcdefghijklmnopqrstu" << false << "abcdefghijklmnopqrst";
        QTest::newRow("22 emoji typed, 20 kept") << QString("😀").repeated(22) << false << QString("😀").repeated(20);
        QTest::newRow("an accent counts once") << QString("e\u0301").repeated(11) << false << QString("e\u0301").repeated(11);
        QTest::newRow("a paste is cut to 20") << QString("🎉").repeated(25) << true << QString("🎉").repeated(20);
        QTest::newRow("a paste is cut to the room left") << "a" + QString("🎉").repeated(25) << true << "a" + QString("🎉").repeated(19);
        QTest::newRow("the mark Qt keeps for unsaved changes") << "A[*]" << false << "A[*]";
        QTest::newRow("pasted line breaks become blanks") << "Ana\nBo\r\nb" << true << "Ana Bo  b";
    }
    void namesAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(bool, pasted);
        QFETCH(QString, kept);
        TestHooks::Modal = [&](TForm &) {
            pasted ? FormNewGame->edtPlayerName->insert(text.left(1)) : typeText(FormNewGame->edtPlayerName, text);
            pasted ? FormNewGame->edtPlayerName->insert(text.mid(1)) : void();
            QTest::keyClick(FormNewGame->edtPlayerName, Qt::Key_Return);
        };
        FormMain->New1Click();
        QCOMPARE(caption(), "Duplora - " + kept);
        TestHooks::Modal = [](TForm &) {};
        FormMain->FormDblClick();
        QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime), QStringList{kept});
    }

    void timeOutWhileTheDialogIsOpen()
    {
        // The results open over the dialog and record the running game under its own name.
        startGame(QStringLiteral("Ana"));
        for (int t = 1; t < 1200; ++t)
            FormMain->Timer->Tick();
        typed = QStringLiteral("Bob");
        pressed = QStringLiteral("Escape");
        connect(FormNewGame->edtPlayerName, &QLineEdit::textEdited, FormMain->Timer, &TTimer::Tick);
        FormMain->New1Click();
        QCOMPARE(opened.mid(1), (QList<TForm *>{FormNewGame, FormTop10}));
        QCOMPARE(linesOf(FormTop10->mmoTop10NamesByTime) + linesOf(FormTop10->mmoTop10TimesByTime), (QStringList{"Ana", "1200"}));
        QCOMPARE(caption(), QStringLiteral("Duplora"));
    }

    void rankings_data()
    {
        QTest::addColumn<QString>("games");
        QTest::addColumn<QString>("byTime");
        QTest::addColumn<QString>("byAttempts");
        QTest::newRow("distinct") << "A 30 5, B 10 9, C 20 1" << "B C A" << "C A B";
        QTest::newRow("one game") << "Solo 1200 0" << "Solo" << "Solo";
        QTest::newRow("tied, in the order played") << "Bob 100 25, Ana 100 20" << "Bob Ana" << "Ana Bob";
        QTest::newRow("a time-out first") << "Bob 1200 9, Ana 200 9" << "Ana Bob" << "Bob Ana";
        QTest::newRow("10, 1200, 500, 500") << "S0 10 4, S1 1200 3, S2 500 2, S3 500 1" << "S0 S2 S3 S1" << "S3 S2 S1 S0";
        QTest::newRow("zero time and attempts") << "Y 50 3, Z 0 0" << "Z Y" << "Z Y";
        QTest::newRow("twelve games, eleven rows") << numbered(12, true) << "G12 G11 G10 G9 G8 G7 G6 G5 G4 G3 G2"
                                                   << "G1 G2 G3 G4 G5 G6 G7 G8 G9 G10 G11";
        // The first of twenty-one games was shifted out of the full table.
        QTest::newRow("twenty-one games") << numbered(21, false) << "G2 G3 G4 G5 G6 G7 G8 G9 G10 G11 G12"
                                          << "G21 G20 G19 G18 G17 G16 G15 G14 G13 G12 G11";
    }
    void rankings()
    {
        QFETCH(QString, games);
        QFETCH(QString, byTime);
        QFETCH(QString, byAttempts);
        const QMap<QString, QString> rows = play(games);
        QCOMPARE(opened.count(FormTop10), rows.size());
        // Each row's numbers are those of the game named in it.
        for (const auto &[order, memos] : {std::pair{byTime, FormTop10->findChildren<TMemo *>(QRegularExpression("ByTime$"))},
                                           std::pair{byAttempts, FormTop10->findChildren<TMemo *>(QRegularExpression("ByAttempts$"))}}) {
            QStringList expected, shown;
            for (const QString &name : order.split(' '))
                expected << rows[name];
            for (int r = 0; r < linesOf(memos[0]).size(); ++r)
                shown << QStringLiteral("%1 %2 %3").arg(linesOf(memos[0])[r], linesOf(memos[1]).value(r), linesOf(memos[2]).value(r));
            QCOMPARE(shown, expected);
        }
    }

    void windowTexts_data()
    {
        // A window, its controls by name ("." for the window itself), and what they show.
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("controls");
        QTest::addColumn<QString>("texts");
        QTest::newRow("main") << "FormMain" << ". Game1 New1 Exit1 Help1 About1" << "Duplora|Game|New|Exit|Help|About...";
        QTest::newRow("status bar") << "FormMain" << "StatusBar1" << "Info|Time:   |Attempts:   ";
        QTest::newRow("name") << "FormNewGame" << ". Label1 OKBtn CancelBtn" << "New game|Enter your name:|OK|Cancel";
        QTest::newRow("results") << "FormTop10" << ". Label1 Label2 Button1" << "Top 10|Top 10 (by Time):|Top 10 (by Attempts):|OK";
        QTest::newRow("results headings") << "FormTop10" << "Label3 Label4 Label5 Label6 Label7 Label8"
                                          << "Name|Time|Attempts|Name|Time|Attempts";
        QTest::newRow("about") << "FormAbout" << ". Label1 Label2 Label3 Label4 Button1"
                               << "About...|NASMEJ  SE!!!|Bilo je namesteno!|SMILE!!!|It was set up!|OK";
        QTest::newRow("about, Serbian") << "FormAbout" << "Memo1"
                                        << "Za sve igrace kojima ime ne pocinje \nsa slovom F program u pozadini \n"
                                           "nasumice menja raspored slika cineci \nigru mnogo tezom.";
        QTest::newRow("about, English") << "FormAbout" << "Memo2"
                                        << "For all players with names that doesn't \nstarts with letter F program in \n"
                                           "background randomly changes order \nof pictures making a game lot more \ndifficult.";
        QTest::newRow("about, program") << "FormAbout" << "Memo3"
                                        << "Program: \n  Name:          Duplora\n  Version:       1.0\n"
                                           "  Creation Date: 24.05.2007.\nContact: \n  The Duplora developers\n"
                                           "  Report problems through the\n  project's issue tracker.\n  ";
    }
    void windowTexts()
    {
        QFETCH(QString, window);
        QFETCH(QString, controls);
        QFETCH(QString, texts);
        const QList<QWidget *> all = windows();
        const QWidget *form = *std::find_if(all.begin(), all.end(), [&](QWidget *w) { return w->objectName() == window; });
        QStringList shown;
        for (const QString &name : controls.split(' '))
            shown << textOf(name == "." ? form : form->findChild<QObject *>(name));
        QCOMPARE(shown.join('|'), texts);
    }

    void textsFitTheirBoxes()
    {
        // In the faces this platform has, no label cuts its text and no notice needs to scroll.
        for (const QWidget *form : windows())
            for (const QLabel *label : form->findChildren<QLabel *>(QRegularExpression("^Label"))) {
                const QRect ink = QFontMetrics(label->font()).tightBoundingRect(label->text());
                QVERIFY2(ink.right() < label->width() && ink.height() <= label->height(), qPrintable(label->objectName()));
            }
        FormAbout->show();
        for (const TMemo *memo : {FormAbout->Memo1, FormAbout->Memo2}) {
            const int margin = int(memo->document()->documentMargin());
            const QRect room = memo->viewport()->rect().adjusted(margin, margin, -margin, -margin);
            int height = 0;
            for (const QString &line : linesOf(memo))
                height += memo->fontMetrics().boundingRect(room, Qt::TextWordWrap, line).height();
            QVERIFY2(height <= room.height(), qPrintable(memo->objectName()));
        }
    }

    void boxesAreReadOnlyAndOkCloses()
    {
        // In the real modal loop: typing changes no box, Escape closes neither window, Enter on
        // the focused OK does.
        play(QStringLiteral("Ana 10 2"));
        TestHooks::Modal = nullptr;
        for (TForm *form : QList<TForm *>{FormTop10, FormAbout}) {
            QTimer::singleShot(0, form, [form] {
                for (TMemo *memo : form->findChildren<TMemo *>()) {
                    const QString before = memo->toPlainText();
                    QTest::keyClicks(memo, "typed");
                    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Backspace),
                                                     QKeySequence(Qt::Key_Delete), QKeySequence(QKeySequence::Paste)})
                        QTest::keySequence(memo, keys);
                    QCOMPARE(memo->toPlainText(), before);
                }
                QTest::keyClick(form, Qt::Key_Escape);
                QVERIFY(form->isVisible());
                auto *ok = form->findChild<QPushButton *>(QStringLiteral("Button1"));
                ok->setFocus();
                QTest::keyClick(ok, Qt::Key_Return);
                QVERIFY(!form->isVisible());
            });
            QTimer::singleShot(3000, form, &TForm::Close);
            form->ShowModal();
            QVERIFY(!form->isVisible());
        }
    }

private:
    static QList<QWidget *> windows() { return {FormMain, FormNewGame, FormTop10, FormAbout}; }
};

DUPLORA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
