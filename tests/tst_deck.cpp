// The card deck: the deal, the card draw, exchanges and shuffles, and a start-up without pictures.
#include "TestSupport.h"

#include <QFile>

class TestDeck : public GameTest {
    Q_OBJECT
private slots:

    void dealIsShuffledFaceUpAndSound();
    void randomCardNumberFolds_data();
    void randomCardNumberFolds();
    void drawStaysOnTheBoard();
    void swapKeepsFacesAndExchangesPictures();
    void shufflesKeepTheDeckSound();
    void failedSwapChangesNothing();
    void startUpWithoutAPicture_data();
    void startUpWithoutAPicture();
};

void TestDeck::dealIsShuffledFaceUpAndSound()
{
    QVERIFY(FormMain);
    QString why;
    QVERIFY2(deckIsSound(&why), qPrintable(why));
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        QVERIFY(FormMain->FindImage(n)->FaceUp());
    QVERIFY(!FormMain->GameRunning());
    QVERIFY(!FormMain->CheatTimer->Enabled());
    QCOMPARE(FormMain->ResultCount, 0);
    QCOMPARE(FormMain->PlayerName, QString());
    QCOMPARE(FormMain->FindImage(7)->objectName(), QStringLiteral("Image7"));
    QCOMPARE(FormMain->FindImage(7)->parent(), FormMain->Cell(7));
    QCOMPARE(FormMain->Cell(7)->objectName(), QStringLiteral("s07"));
}

void TestDeck::randomCardNumberFolds_data()
{
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<int>("card");
    QTest::newRow("-1 gives 0 and is drawn again") << QList<double>{-1.0, 5.2} << 6;
    QTest::newRow("37.5 truncates to 37, card 2") << QList<double>{37.5} << 2;
    QTest::newRow("-5.9 truncates to -5, card 4") << QList<double>{-5.9} << 4;
    QTest::newRow("between -1 and 1 is card 1") << QList<double>{-0.99} << 1;
    QTest::newRow("35 is card 36") << QList<double>{35.0} << 36;
    QTest::newRow("36 folds to card 1") << QList<double>{36.0} << 1;
    QTest::newRow("-36 folds to card 1") << QList<double>{-36.7} << 1;
    QTest::newRow("-37 is drawn again") << QList<double>{-37.2, 0.5} << 1;
    QTest::newRow("huge and NaN are drawn again") << QList<double>{1e300, std::nan(""), -1e12, 10.0} << 11;
}

void TestDeck::randomCardNumberFolds()
{
    QFETCH(QList<double>, draws);
    QFETCH(int, card);
    TestHooks::SetRandomSource(std::make_unique<ScriptedSource>(std::deque<double>(draws.begin(), draws.end())));
    QCOMPARE(FormMain->RandomCardNumber(), card);
}

void TestDeck::drawStaysOnTheBoard()
{
    // The draw favours low cards (about 1.85 : 0.54 for card 1 against card 36) but never
    // leaves the board.
    constexpr int Draws = 200000;
    std::array<int, TFormMain::CardCount + 1> hits{};
    for (int i = 0; i < Draws; ++i) {
        const int r = FormMain->RandomCardNumber();
        QVERIFY(r >= 1 && r <= TFormMain::CardCount);
        ++hits[r];
    }
    const double even = Draws / double(TFormMain::CardCount);
    QVERIFY2(hits[1] / even > 1.7 && hits[1] / even < 2.0, qPrintable(QString::number(hits[1] / even)));
    QVERIFY2(hits[36] / even > 0.45 && hits[36] / even < 0.65, qPrintable(QString::number(hits[36] / even)));
}

void TestDeck::swapKeepsFacesAndExchangesPictures()
{
    TImage *a = FormMain->FindImage(3);
    TImage *b = FormMain->FindImage(30);
    const auto withOtherPair = [&] {
        for (int n = 1; n <= TFormMain::CardCount; ++n)
            if (FormMain->FindImage(n)->Tag() != a->Tag())
                return FormMain->FindImage(n);
        return b;
    };
    b = withOtherPair();
    b->setVisible(false);
    const int pa = a->Tag(), pb = b->Tag();
    const QImage ia = shownPicture(a), ib = shownPicture(b);
    FormMain->SwapCards(a, b);
    QCOMPARE(a->Tag(), pb);
    QCOMPARE(b->Tag(), pa);
    QCOMPARE(shownPicture(a), ib);
    QCOMPARE(shownPicture(b), ia);
    QVERIFY(a->FaceUp());
    QVERIFY(!b->FaceUp());
    FormMain->SwapCards(a, a);
    QCOMPARE(a->Tag(), pb);
    QVERIFY(deckIsSound());
}

void TestDeck::shufflesKeepTheDeckSound()
{
    auto *source = new ScriptedSource({}, 42);
    TestHooks::SetRandomSource(std::unique_ptr<RandomSource>(source));
    for (int i = 0; i < 50; ++i)
        FormMain->ShuffleBoard();
    QCOMPARE(source->seeds, 50);
    for (int i = 0; i < 2000; ++i)
        FormMain->SwapCards(FormMain->FindImage(FormMain->RandomCardNumber()),
                            FormMain->FindImage(FormMain->RandomCardNumber()));
    QString why;
    QVERIFY2(deckIsSound(&why), qPrintable(why));
}

void TestDeck::failedSwapChangesNothing()
{
    // Reading the second picture used to fail after the first card had already changed, leaving
    // it with one pair's picture under the other's id.
    const PictureFolder folder;
    QVERIFY(folder.ok);
    QList<int> pairs = cardsOfPair(FormMain->FindImage(1)->Tag());
    TImage *a = FormMain->FindImage(1);
    TImage *b = nullptr;
    for (int n = 2; n <= TFormMain::CardCount && !b; ++n)
        if (FormMain->FindImage(n)->Tag() != a->Tag())
            b = FormMain->FindImage(n);
    QVERIFY(QFile::remove(TFormMain::PicturePath(a->Tag())));
    const int pa = a->Tag(), pb = b->Tag();
    const QImage ia = shownPicture(a), ib = shownPicture(b);
    QVERIFY_THROWS_EXCEPTION(Exception, FormMain->SwapCards(a, b));
    QCOMPARE(a->Tag(), pa);
    QCOMPARE(b->Tag(), pb);
    QCOMPARE(shownPicture(a), ia);
    QCOMPARE(shownPicture(b), ib);
    QCOMPARE(cardsOfPair(pa), pairs);
}

void TestDeck::startUpWithoutAPicture_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("not a bitmap") << "text";
}

void TestDeck::startUpWithoutAPicture()
{
    QFETCH(QString, damage);
    DestroyForms();
    const PictureFolder folder({7});
    QVERIFY(folder.ok);
    const QString broken = folder.filePath(QStringLiteral("Images/7.bmp"));
    if (damage == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(broken));
    if (damage == QLatin1String("text")) {
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }

    // The failure used to end with exit code 0, as if the game had run.
    const int code = Run(*static_cast<TApplication *>(qApp));
    QCOMPARE(code, ExitFailedStartUp);
    QCOMPARE(seen().errors.size(), 1);
    QVERIFY2(seen().errors.first().contains(QStringLiteral("Images/7.bmp")), qPrintable(seen().errors.first()));
    QVERIFY(!FormMain);
    QVERIFY(!FormNewGame);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

DUPLORA_TEST_MAIN(TestDeck)
#include "tst_deck.moc"
