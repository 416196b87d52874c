// The About window: every text, face, colour and place as laid out, and that nothing is editable.
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>

class TestAbout : public GameTest {
    Q_OBJECT
private slots:

    void window();
    void labels_data();
    void labels();
    void memos_data();
    void memos();
    void boxesRefuseTyping();
    void openDuringAGameKeepsTheClock();
};

void TestAbout::window()
{
    QCOMPARE(FormAbout->windowTitle(), QStringLiteral("About..."));
    QCOMPARE(FormAbout->size(), QSize(462, 499));
    QCOMPARE(FormAbout->pos(), QPoint(304, 39));
    QVERIFY(FormAbout->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(FormAbout->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(FormAbout->Button1->geometry(), QRect(168, 456, 123, 33));
    QVERIFY(!FormAbout->Button1->autoDefault());
}

void TestAbout::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("boldItalic");
    QTest::addColumn<QColor>("colour");
    const QStringList serif{"Times New Roman", "Liberation Serif"};
    const QStringList sans{"MS Sans Serif", "Liberation Sans"};
    QTest::newRow("Label1") << "Label1" << "NASMEJ  SE!!!" << QRect(24, 16, 401, 66) << serif << 59 << true
                            << QColor(255, 255, 0);
    QTest::newRow("Label2") << "Label2" << "Bilo je namesteno!" << QRect(128, 104, 199, 29) << sans << 24 << false
                            << QColor(255, 0, 0);
    QTest::newRow("Label3") << "Label3" << "SMILE!!!" << QRect(128, 152, 188, 52) << serif << 45 << true
                            << QColor(255, 255, 255);
    QTest::newRow("Label4") << "Label4" << "It was set up!" << QRect(152, 208, 138, 29) << sans << 24 << false
                            << QColor(255, 0, 0);
}

void TestAbout::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(QStringList, families);
    QFETCH(int, pixels);
    QFETCH(bool, boldItalic);
    QFETCH(QColor, colour);
    auto *label = FormAbout->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    const QString wrong = misplaced(label, geometry);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    const QFontInfo info(label->font());
    QVERIFY2(families.contains(info.family()), qPrintable(info.family()));
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.bold(), boldItalic);
    QCOMPARE(info.italic(), boldItalic);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
}

void TestAbout::memos_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("monospaced");
    QTest::newRow("Memo1") << "Memo1"
                           << QStringList{"Za sve igrace kojima ime ne pocinje ", "sa slovom F program u pozadini ",
                                          "nasumice menja raspored slika cineci ", "igru mnogo tezom."}
                           << QRect(32, 248, 185, 89) << 11 << false;
    QTest::newRow("Memo2") << "Memo2"
                           << QStringList{"For all players with names that doesn't ", "starts with letter F program in ",
                                          "background randomly changes order ", "of pictures making a game lot more ",
                                          "difficult."}
                           << QRect(232, 248, 185, 89) << 11 << false;
    QTest::newRow("Memo3") << "Memo3"
                           << QStringList{"Program: ", "  Name:          Duplora", "  Version:       1.0",
                                          "  Creation Date: 24.05.2007."}
                           << QRect(48, 344, 353, 89) << 12 << true;
}

void TestAbout::memos()
{
    QFETCH(QString, name);
    QFETCH(QStringList, lines);
    QFETCH(QRect, geometry);
    QFETCH(int, pixels);
    QFETCH(bool, monospaced);
    auto *memo = FormAbout->findChild<TMemo *>(name);
    QVERIFY(memo);
    QCOMPARE(linesOf(memo).mid(0, lines.size()), lines);
    QCOMPARE(memo->toPlainText().split(QLatin1Char('\n')).mid(0, lines.size()), lines);
    QCOMPARE(memo->geometry(), geometry);
    QVERIFY(memo->isReadOnly());
    const QFontInfo info(memo->font());
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.fixedPitch(), monospaced);
    if (!monospaced) {
        QCOMPARE(linesOf(memo), lines);
        // Wrapped in this face, the whole notice still fits the box, which cannot scroll.
        FormAbout->show();
        const int margin = int(memo->document()->documentMargin());
        const QRect room = memo->viewport()->rect().adjusted(margin, margin, -margin, -margin);
        int height = 0;
        for (const QString &line : lines)
            height += QFontMetrics(memo->font()).boundingRect(QRect(0, 0, room.width(), 1000), Qt::TextWordWrap, line).height();
        QVERIFY2(height <= room.height(), qPrintable(QStringLiteral("%1 > %2").arg(height).arg(room.height())));
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        return;
    }
    QVERIFY2(QStringList({"Courier New", "Liberation Mono"}).contains(info.family()), qPrintable(info.family()));
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo->palette().color(QPalette::Base), memo->palette().color(QPalette::Button));
    // The values line up in column 18; the contact block is a heading, indented lines, and a
    // last line of two blanks.
    for (int i = 1; i < 4; ++i)
        QCOMPARE(linesOf(memo)[i].indexOf(QRegularExpression(QStringLiteral("\\S"), {}), 16), 17);
    const QStringList contact = linesOf(memo).mid(4);
    QVERIFY(contact.size() >= 3);
    QVERIFY(!contact.first().startsWith(QLatin1Char(' ')));
    for (const QString &line : contact.mid(1))
        QVERIFY2(line.startsWith(QLatin1String("  ")), qPrintable(line));
    QCOMPARE(contact.last(), QStringLiteral("  "));
}

void TestAbout::boxesRefuseTyping()
{
    FormAbout->show();
    for (TMemo *memo : {FormAbout->Memo1, FormAbout->Memo2, FormAbout->Memo3})
        QVERIFY2(refusesTyping(memo), qPrintable(memo->objectName()));
}

void TestAbout::openDuringAGameKeepsTheClock()
{
    startGame(QStringLiteral("Ana"));
    TestHooks::Modal = nullptr;
    QTimer::singleShot(0, FormAbout, [] {
        QVERIFY(FormAbout->isVisible());
        FormMain->Timer->Tick();
        FormMain->Timer->Tick();
        QTest::mouseClick(FormAbout->Button1, Qt::LeftButton);
    });
    FormMain->About1->trigger();
    QVERIFY(!FormAbout->isVisible());
    QVERIFY(FormMain->GameRunning());
    QCOMPARE(FormMain->Time, 2);
}

DUPLORA_TEST_MAIN(TestAbout)
#include "tst_about.moc"
