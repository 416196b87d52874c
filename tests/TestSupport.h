// What every test of the game shares: the application, driven clocks, answered dialogs.
#pragma once

#include "app/Startup.h"
#include "dialogs/About.h"
#include "dialogs/NewGame.h"
#include "dialogs/Top10.h"
#include "main/Main.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Toolkit.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <random>

// Plays back a list of normal draws, then falls back to a fixed-seed generator.
class ScriptedSource : public RandomSource {
public:
    explicit ScriptedSource(std::deque<double> draws = {}, quint64 seed = 1) : draws(std::move(draws)), engine(seed) {}
    void Seed(quint64) override { ++seeds; }
    double Gauss(double mean, double stdDev) override
    {
        if (draws.empty())
            return std::normal_distribution<double>(mean, stdDev)(engine);
        const double g = draws.front();
        draws.pop_front();
        return g;
    }
    std::deque<double> draws;
    int seeds = 0;

private:
    std::mt19937_64 engine;
};

// Windows the tests saw opened, and the errors shown.
struct Seen {
    QList<TForm *> modal;
    QStringList errors;
    int count(TForm *form) const { return int(modal.count(form)); }
};

inline Seen &seen()
{
    static Seen s;
    return s;
}

// The name the next Game > New types; empty means an OK on an empty box.
inline QString &nextName()
{
    static QString name;
    return name;
}

// Types any text, one character a key press (QTest::keyClicks only knows Latin-1).
inline void typeText(QWidget *widget, const QString &text)
{
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, one);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

// Resets hooks so that modal windows close at once, except the name dialog, which types
// nextName() and presses Enter.
inline void installHooks()
{
    TestHooks::Reset();
    TestHooks::ManualTimers = true;
    TestHooks::SetRandomSource(std::make_unique<ScriptedSource>());
    seen() = {};
    TestHooks::ErrorBox = [](const QString &message) { seen().errors << message; };
    TestHooks::Modal = [](TForm &form) {
        seen().modal << &form;
        if (&form == FormNewGame) {
            typeText(FormNewGame->edtPlayerName, nextName());
            QTest::keyClick(FormNewGame->edtPlayerName, Qt::Key_Return);
        }
    };
}

inline void startGame(const QString &name)
{
    nextName() = name;
    FormMain->New1Click();
}

// Cards whose picture carries the pair id, in card-number order.
inline QList<int> cardsOfPair(int pairId)
{
    QList<int> cards;
    for (int n = 1; n <= TFormMain::CardCount; ++n)
        if (FormMain->FindImage(n)->Tag() == pairId)
            cards << n;
    return cards;
}

inline void clickCard(int n) { FormMain->s01Click(FormMain->Cell(n)); }

// The picture a card shows.
inline QImage shownPicture(const TImage *image) { return image->pixmap().toImage(); }

// The lines a text box shows, as a player reads them.
inline QStringList linesOf(const TMemo *memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// Every pair id held by exactly two cards, each showing its pair's file.
inline bool deckIsSound(QString *why = nullptr)
{
    static QList<QImage> files;
    if (files.isEmpty())
        for (int k = 1; k <= TFormMain::PairCount; ++k)
            files << ReadBitmap(TFormMain::PicturePath(k));
    for (int k = 1; k <= TFormMain::PairCount; ++k)
        if (cardsOfPair(k).size() != 2) {
            if (why)
                *why = QStringLiteral("pair %1 is held by %2 cards").arg(k).arg(cardsOfPair(k).size());
            return false;
        }
    for (int n = 1; n <= TFormMain::CardCount; ++n) {
        const TImage *image = FormMain->FindImage(n);
        if (shownPicture(image) != files.at(image->Tag() - 1)) {
            if (why)
                *why = QStringLiteral("card %1 shows another file than pair %2").arg(n).arg(image->Tag());
            return false;
        }
    }
    return true;
}

// A label where it was laid out, as high, at most a few pixels wider so that its text in this
// platform's face is not cut off; empty when so, else what is wrong.
inline QString misplaced(const QLabel *label, const QRect &laidOut)
{
    const QRect ink = QFontMetrics(label->font()).tightBoundingRect(label->text());
    if (label->pos() != laidOut.topLeft() || label->height() != laidOut.height())
        return QStringLiteral("%1 at %2,%3 height %4").arg(label->objectName()).arg(label->x()).arg(label->y()).arg(label->height());
    if (label->width() < laidOut.width() || label->width() > laidOut.width() + 8)
        return QStringLiteral("%1 is %2 wide").arg(label->objectName()).arg(label->width());
    if (ink.right() >= label->width() || ink.height() > label->height())
        return QStringLiteral("%1 cuts its text: ink %2 x %3").arg(label->objectName()).arg(ink.right()).arg(ink.height());
    return {};
}

// Typing, deleting and pasting into a shown text box changes nothing in it.
inline bool refusesTyping(TMemo *memo)
{
    const QString before = memo->toPlainText();
    memo->setFocus();
    QTest::keyClicks(memo, "typed");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_Backspace);
    QTest::keyClick(memo, Qt::Key_Delete);
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    return memo->toPlainText() == before;
}

// Every test function starts with fresh windows and hooks and leaves nothing behind.
class GameTest : public QObject {
    Q_OBJECT
protected slots:
    void init()
    {
        installHooks();
        CreateForms();
    }
    void cleanup()
    {
        DestroyForms();
        TestHooks::Reset();
    }
};

// A copy of Images/ in a temporary folder, all pictures but those left out, as the working
// folder for as long as it lives.
class PictureFolder {
public:
    explicit PictureFolder(const QList<int> &leftOut = {})
    {
        ok = QDir().mkpath(dir.filePath(QStringLiteral("Images")));
        for (int k = 1; k <= TFormMain::PairCount; ++k)
            if (!leftOut.contains(k))
                ok = QFile::copy(TFormMain::PicturePath(k), dir.filePath(TFormMain::PicturePath(k))) && ok;
        QDir::setCurrent(dir.path());
    }
    ~PictureFolder() { QDir::setCurrent(home); }
    PictureFolder(const PictureFolder &) = delete;
    PictureFolder &operator=(const PictureFolder &) = delete;
    QString filePath(const QString &relative) const { return dir.filePath(relative); }
    bool ok = false;

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
