// What every test of the game shares: the application, driven clocks, chance, answered dialogs.
#pragma once

#include "app/Startup.h"
#include "dialogs/About.h"
#include "dialogs/NewGame.h"
#include "dialogs/Top10.h"
#include "main/Main.h"
#include "toolkit/Bitmap.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <random>

// Plays back the draws given, then a fixed-seed generator; counts how often it is re-seeded.
class ScriptedSource : public RandomSource {
public:
    void Seed(quint64) override { ++seeds; }
    double Gauss(double mean, double stdDev) override
    {
        return draws.isEmpty() ? std::normal_distribution<double>(mean, stdDev)(engine) : draws.takeFirst();
    }
    QList<double> draws;
    int seeds = 0;

private:
    std::mt19937_64 engine{1};
};

inline ScriptedSource *chance = nullptr;
inline QList<TForm *> opened;
inline QStringList errors;
// What the player does in the name dialog: types a text, then presses keys or clicks buttons,
// named as "Return", "Escape", "Tab" or by the button's name, separated by blanks.
inline QString typed, pressed;

// A key press a character: QTest::keyClicks knows Latin-1 only.
inline void typeText(QWidget *widget, const QString &text)
{
    for (char32_t c : text.toUcs4())
        QTest::sendKeyEvent(QTest::KeyAction::Press, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
}

inline void answerNameDialog()
{
    QVERIFY(QTest::qWaitForWindowActive(FormNewGame));
    typeText(FormNewGame->focusWidget(), typed);
    for (const QString &step : pressed.split(QLatin1Char(' '))) {
        if (auto *button = FormNewGame->findChild<QPushButton *>(step))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keyClick(FormNewGame->focusWidget(), QKeySequence::fromString(step)[0].key());
    }
}

inline void startGame(const QString &name)
{
    typed = name;
    pressed = QStringLiteral("Return");
    FormMain->New1Click();
}

// The pair id of every card, and the cards of one pair in card-number order.
inline QList<int> tags()
{
    QList<int> all;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        all << FormMain->FindImage(n)->Tag();
    return all;
}
inline QList<int> cardsOfPair(int pairId)
{
    const QList<int> all = tags();
    QList<int> cards;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        cards += all[n - 1] == pairId ? QList<int>{n} : QList<int>{};
    return cards;
}

inline void clickCard(int n) { FormMain->s01Click(FormMain->Cell(n)); }
// The main window's caption as the window system shows it.
inline QString caption() { return FormMain->winId() ? FormMain->windowHandle()->title() : QString(); }
inline QString panel(int index) { return FormMain->StatusBar1->PanelText(index); }

inline QStringList linesOf(const TMemo *memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// Every pair id held by exactly two cards, each card showing its own pair's file.
inline bool deckIsSound()
{
    for (int n = 1; n <= TFormMain::CardCount; ++n) {
        const TImage *card = FormMain->FindImage(n);
        if (cardsOfPair(card->Tag()).size() != 2
            || card->pixmap().toImage() != ReadBitmap(TFormMain::PicturePath(card->Tag())))
            return false;
    }
    return true;
}

// Fresh windows, driven clocks and scripted chance for every test function; modal windows close
// at once, but for the name dialog, answered as above.
class GameTest : public QObject {
    Q_OBJECT
protected slots:
    void init()
    {
        TestHooks::ManualTimers = true;
        TestHooks::SetRandomSource(std::unique_ptr<RandomSource>(chance = new ScriptedSource));
        opened.clear();
        errors.clear();
        TestHooks::ErrorBox = [](const QString &message) { errors << message; };
        TestHooks::Modal = [](TForm &form) {
            opened << &form;
            if (&form == FormNewGame)
                answerNameDialog();
        };
        CreateForms();
    }
    void cleanup()
    {
        DestroyForms();
        TestHooks::Reset();
    }
};

// A copy of Images/ without the pictures left out, the working folder while it lives.
class PictureFolder {
public:
    explicit PictureFolder(const QList<int> &leftOut)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("Images")));
        for (int k = 1; k <= TFormMain::PairCount; ++k)
            if (!leftOut.contains(k))
                QFile::copy(TFormMain::PicturePath(k), dir.filePath(TFormMain::PicturePath(k)));
        QDir::setCurrent(dir.path());
    }
    ~PictureFolder() { QDir::setCurrent(home); }

private:
    QString home = QDir::currentPath();
    QTemporaryDir dir;
};

// Runs a test class inside the game's own application object, from the folder with Images/.
#define DUPLORA_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char **argv)                                                                              \
    {                                                                                                            \
        TApplication app(argc, argv);                                                                            \
        PrepareApplication(app);                                                                                 \
        QDir::setCurrent(QStringLiteral(DUPLORA_SOURCE_DIR));                                                    \
        TestClass test;                                                                                          \
        return QTest::qExec(&test, argc, argv);                                                                  \
    }
