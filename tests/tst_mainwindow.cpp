// The main window as a player meets it: layout, menus, status bar, and where clicks land.
#include "TestSupport.h"

#include <QMenu>
#include <QMenuBar>
#include <QWindow>
#include <QSignalSpy>
#include <QTimer>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        installHooks();
        CreateForms();
        FormMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FormMain));
    }
    void cleanup()
    {
        DestroyForms();
        TestHooks::Reset();
    }

    void windowLayout();
    void cellGeometry_data();
    void cellGeometry();
    void statusBarAndMenus();
    void clickRouting_data();
    void clickRouting();
    void doubleClickRouting_data();
    void doubleClickRouting();
    void fastSecondClickOnACellIsAClick();
    void cellsSpeakTheirState();
    void closingEndsTheRunWithZero_data();
    void closingEndsTheRunWithZero();
};

namespace {
QPoint inWindow(QWidget *widget, QPoint local) { return widget->mapTo(FormMain, local); }
}

void TestMainWindow::windowLayout()
{
    QCOMPARE(FormMain->windowTitle(), QStringLiteral("Duplora"));
    QCOMPARE(FormMain->centralWidget()->geometry().size(), QSize(350, 367));
    QCOMPARE(FormMain->centralWidget()->y(), FormMain->menuBar()->height());
    QCOMPARE(FormMain->size(), QSize(350, 367 + FormMain->menuBar()->height()));
    QCOMPARE(FormMain->minimumSize(), FormMain->maximumSize());
    QCOMPARE(FormMain->pos(), QPoint(236, 109));
    QVERIFY(!(FormMain->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(QFontInfo(FormMain->font()).pixelSize(), 11);
}

void TestMainWindow::cellGeometry_data()
{
    QTest::addColumn<int>("card");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("card 1") << 1 << "s01" << QRect(8, 8, 53, 53);
    QTest::newRow("card 6") << 6 << "s06" << QRect(288, 8, 53, 53);
    QTest::newRow("card 7") << 7 << "s07" << QRect(8, 64, 53, 53);
    QTest::newRow("card 12") << 12 << "s12" << QRect(288, 64, 53, 53);
    QTest::newRow("card 36") << 36 << "s36" << QRect(288, 288, 53, 53);
}

void TestMainWindow::cellGeometry()
{
    QFETCH(int, card);
    QFETCH(QString, cell);
    QFETCH(QRect, geometry);
    auto *panel = FormMain->findChild<TPanel *>(cell);
    QVERIFY(panel);
    QCOMPARE(panel, FormMain->Cell(card));
    QCOMPARE(panel->geometry(), geometry);
    QCOMPARE(panel->frameShadow(), QFrame::Raised);
    auto *image = panel->findChild<TImage *>(QStringLiteral("Image%1").arg(card));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(1, 1, 51, 51));
    QVERIFY(image->hasScaledContents());
}

void TestMainWindow::statusBarAndMenus()
{
    TStatusBar *bar = FormMain->findChild<TStatusBar *>(QStringLiteral("StatusBar1"));
    QVERIFY(bar);
    QCOMPARE(bar->geometry(), QRect(0, 348, 350, 19));
    const QList<QLabel *> panels = bar->findChildren<QLabel *>();
    QCOMPARE(panels.size(), 3);
    const QStringList texts{QStringLiteral("Info"), QStringLiteral("Time:   "), QStringLiteral("Attempts:   ")};
    const QList<int> lefts{0, 150, 250};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(panels.at(i)->text(), texts.at(i));
        QCOMPARE(panels.at(i)->x(), lefts.at(i));
    }
    const QList<QAction *> menus = FormMain->menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("Game"));
    QCOMPARE(menus.at(1)->text(), QStringLiteral("Help"));
    QCOMPARE(menus.at(0)->menu()->objectName(), QStringLiteral("Game1"));
    QStringList game;
    for (QAction *a : menus.at(0)->menu()->actions())
        game << a->objectName() + QLatin1Char('=') + a->text();
    QCOMPARE(game, (QStringList{QStringLiteral("New1=New"), QStringLiteral("Exit1=Exit")}));
    QCOMPARE(menus.at(1)->menu()->actions().size(), 1);
    QCOMPARE(menus.at(1)->menu()->actions().at(0)->text(), QStringLiteral("About..."));
    QCOMPARE(FormMain->Timer->objectName(), QStringLiteral("Timer"));
    QCOMPARE(FormMain->CheatTimer->objectName(), QStringLiteral("CheatTimer"));
}

void TestMainWindow::clickRouting_data()
{
    QTest::addColumn<bool>("faceUp");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("reachesCell");
    QTest::newRow("face down, centre") << false << QPoint(26, 26) << true;
    QTest::newRow("face down, corner") << false << QPoint(1, 1) << true;
    QTest::newRow("face up, picture centre") << true << QPoint(26, 26) << false;
    QTest::newRow("face up, picture edge") << true << QPoint(51, 51) << false;
    QTest::newRow("face up, top frame") << true << QPoint(26, 0) << true;
    QTest::newRow("face up, right frame") << true << QPoint(52, 30) << true;
}

void TestMainWindow::clickRouting()
{
    // Clicks go through the window so that Qt's hit-testing decides who receives them.
    QFETCH(bool, faceUp);
    QFETCH(QPoint, at);
    QFETCH(bool, reachesCell);
    TPanel *cell = FormMain->Cell(9);
    FormMain->FindImage(9)->setVisible(faceUp);
    QSignalSpy clicks(cell, &TPanel::Click);
    QTest::mouseClick(FormMain->windowHandle(), Qt::LeftButton, {}, inWindow(cell, at));
    QCOMPARE(clicks.count(), reachesCell ? 1 : 0);
    // Only the left button clicks.
    QTest::mouseClick(FormMain->windowHandle(), Qt::RightButton, {}, inWindow(cell, QPoint(0, 0)));
    QCOMPARE(clicks.count(), reachesCell ? 1 : 0);
}

void TestMainWindow::doubleClickRouting_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("endsGame");
    QTest::newRow("between cells") << "gap" << true;
    QTest::newRow("below the grid") << "below" << true;
    QTest::newRow("face-down cell") << "cell" << false;
    QTest::newRow("face-up card") << "card" << false;
    QTest::newRow("status bar") << "status" << false;
}

void TestMainWindow::doubleClickRouting()
{
    QFETCH(QString, where);
    QFETCH(bool, endsGame);
    startGame(QStringLiteral("Fred"));
    QVERIFY(FormMain->GameRunning());
    clickCard(2);
    QPoint at;
    if (where == QLatin1String("gap"))
        at = inWindow(FormMain->ClientArea, QPoint(62, 62));
    else if (where == QLatin1String("below"))
        at = inWindow(FormMain->ClientArea, QPoint(100, 344));
    else if (where == QLatin1String("cell"))
        at = inWindow(FormMain->Cell(1), QPoint(26, 26));
    else if (where == QLatin1String("card"))
        at = inWindow(FormMain->Cell(2), QPoint(26, 26));
    else
        at = inWindow(FormMain->StatusBar1, QPoint(200, 10));
    QTest::mouseDClick(FormMain->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(FormMain->GameRunning(), !endsGame);
    QCOMPARE(FormMain->ResultCount, endsGame ? 1 : 0);
    QCOMPARE(seen().count(FormTop10), endsGame ? 1 : 0);
}

void TestMainWindow::fastSecondClickOnACellIsAClick()
{
    // The second press of a fast double-click arrives as a double-click event; it must still
    // turn the card, and must not reach the window's background.
    startGame(QStringLiteral("Fred"));
    const QList<int> pair = cardsOfPair(1);
    QTest::mouseClick(FormMain->windowHandle(), Qt::LeftButton, {}, inWindow(FormMain->Cell(pair[0]), QPoint(26, 26)));
    QVERIFY(FormMain->FindImage(pair[0])->FaceUp());
    TPanel *second = FormMain->Cell(pair[1]);
    const QPoint at = inWindow(second, QPoint(26, 26));
    QTest::mousePress(FormMain->windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(FormMain->windowHandle(), Qt::LeftButton, {}, at);
    QVERIFY(FormMain->FindImage(pair[1])->FaceUp());
    QCOMPARE(FormMain->Attempts, 1);
    QCOMPARE(FormMain->CardsLeft, 34);
    QTest::mouseDClick(second, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(FormMain->GameRunning());
    QCOMPARE(FormMain->Attempts, 1);
    QCOMPARE(FormMain->ResultCount, 0);
}

void TestMainWindow::cellsSpeakTheirState()
{
    const int pair = FormMain->FindImage(7)->Tag();
    QCOMPARE(FormMain->Cell(7)->accessibleName(), QStringLiteral("Card 7, face up, pair %1").arg(pair));
    QCOMPARE(FormMain->Cell(7)->accessibleDescription(), QStringLiteral("Row 2, column 1"));
    startGame(QStringLiteral("Fred"));
    QCOMPARE(FormMain->Cell(7)->accessibleName(), QStringLiteral("Card 7, face down"));
    clickCard(7);
    QCOMPARE(FormMain->Cell(7)->accessibleName(),
             QStringLiteral("Card 7, face up, pair %1").arg(FormMain->FindImage(7)->Tag()));
}

void TestMainWindow::closingEndsTheRunWithZero_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("Game > Exit") << true;
    QTest::newRow("title-bar close button") << false;
}

void TestMainWindow::closingEndsTheRunWithZero()
{
    QFETCH(bool, byMenu);
    DestroyForms();
    QTimer::singleShot(0, qApp, [byMenu] {
        QVERIFY(FormMain && FormMain->isVisible());
        if (byMenu) {
            FormMain->Exit1->trigger();
        } else {
            // What the window manager's close button asks of the window.
            FormMain->windowHandle()->close();
        }
    });
    QCOMPARE(Run(*static_cast<TApplication *>(qApp)), 0);
    QVERIFY(!FormMain);
    QVERIFY(seen().errors.isEmpty());
}

DUPLORA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
