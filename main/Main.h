// The main window: the board of 36 cards, the clocks, the game state and every rule of the game.
#pragma once

#include "toolkit/Toolkit.h"
#include "toolkit/Widgets.h"

#include <QMainWindow>

#include <array>

class QAction;
class QMenu;
class QMenuBar;

class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int CardCount = 36;
    static constexpr int PairCount = 18;
    static constexpr int Columns = 6;
    static constexpr int CellSize = 53;
    static constexpr int CellPitch = 56;
    static constexpr int CellMargin = 8;
    static constexpr int PictureSize = 51;
    static constexpr QSize ClientSize{350, 367};
    static constexpr QPoint InitialPosition{236, 109};
    static constexpr int ClockIntervalMs = 1000;
    static constexpr int ReshuffleIntervalMs = 4000;
    static constexpr int TimeLimit = 1200;
    static constexpr int ReshuffleMinCardsLeft = 10;
    static constexpr int ShuffleExchanges = 18;
    static constexpr int ResultSlots = 20;
    static constexpr int RecentCount = 6;
    static constexpr double DrawMean = 19;
    static constexpr double DrawStdDev = 18;

    explicit TFormMain(QWidget *owner = nullptr);
    ~TFormMain() override;

    // Event handlers.
    void New1Click();
    void s01Click(QObject *Sender);
    void TimerTimer();
    void CheatTimerTimer();
    void FormDblClick();
    void Exit1Click();
    void About1Click();

    // Board operations.
    TImage *FindImage(int n) const;
    int RandomCardNumber();
    void SwapCards(TImage *a, TImage *b);
    void ShuffleBoard();
    void RememberCard(TImage *p);
    void FinishGame();

    static QString PicturePath(int pairId);
    static int CardNumberOf(const QObject *cell);
    bool GameRunning() const { return Timer->Enabled(); }
    TPanel *Cell(int n) const { return cells.at(n - 1); }

    // Game state.
    QString PlayerName;
    int Attempts = 0;
    int Time = 0;
    int CardsLeft = 0;
    std::array<QString, ResultSlots> ResultNames;
    std::array<int, ResultSlots> ResultTimes{};
    std::array<int, ResultSlots> ResultAttempts{};
    int ResultCount = 0;
    bool CheatActive = false;
    bool FirstOfPair = false;
    std::array<TImage *, RecentCount> Recent{};
    // The name dialog's answer: empty after Cancel or an empty OK.
    QString EnteredName;

    // Controls.
    QMenuBar *MainMenu1 = nullptr;
    QMenu *Game1 = nullptr;
    QAction *New1 = nullptr;
    QAction *Exit1 = nullptr;
    QMenu *Help1 = nullptr;
    QAction *About1 = nullptr;
    TClientArea *ClientArea = nullptr;
    TStatusBar *StatusBar1 = nullptr;
    TTimer *Timer = nullptr;
    TTimer *CheatTimer = nullptr;
    TAnnouncer *Announcer = nullptr;

private:
    void createMenus();
    void createBoard();
    void createStatusBar();
    TTimer *createTimer(const char *name, int intervalMs);
    void deal();
    void stopClocks();
    void recordResult();
    bool lastPairMismatched() const;
    bool isCandidate(const TImage *card) const;
    bool isPendingMismatch(const TImage *card) const;
    void moveFocus(int n, Qt::Key key);
    void describeCard(int n);

    std::array<TPanel *, CardCount> cells{};
    std::array<TImage *, CardCount> images{};
};

extern TFormMain *FormMain;
