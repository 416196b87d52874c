// The main window: the board of 36 cards, the clocks, the game state and every rule of the game.
#include "main/Main.h"

#include "dialogs/About.h"
#include "dialogs/NewGame.h"
#include "dialogs/Top10.h"
#include "toolkit/Bitmap.h"

#include <QLayout>
#include <QMenuBar>

#include <algorithm>
#include <limits>

TFormMain *FormMain = nullptr;

namespace {
const QString Caption = QStringLiteral("Duplora");
const QString CaptionWithName = QStringLiteral("Duplora - ");
constexpr int TimePanel = 1;
constexpr int AttemptsPanel = 2;
// What a screen reader says of the board and of a turned card. All the game knows of a picture
// is its file's number, which stays true whatever the files show.
const QString BoardName = QStringLiteral("Board");
const QString BoardHelp
        = QStringLiteral("Tab reaches the cards, the arrows move between them, Space turns one");
const QString NewGame = QStringLiteral("New game. ");
const QString Picture = QStringLiteral("Picture %1");
const QString Match = QStringLiteral(", a match");
const QString Mismatch = QStringLiteral(", no match: both turn back at the next card");
} // namespace

TFormMain::TFormMain(QWidget *owner)
    : QMainWindow(owner,
                  Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    // The dialogs and the rankings reach the game only through this global. It names the window
    // from its first line, as the original toolkit filled it before a constructor ran, and the
    // destructor clears it, so it never names a window that is not there.
    FormMain = this;
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(Caption);

    createMenus();
    createBoard();
    createStatusBar();
    Timer = createTimer("Timer", ClockIntervalMs);
    CheatTimer = createTimer("CheatTimer", ReshuffleIntervalMs);

    connect(New1, &QAction::triggered, this, Guarded([this] { New1Click(); }));
    connect(Exit1, &QAction::triggered, this, Guarded([this] { Exit1Click(); }));
    connect(About1, &QAction::triggered, this, Guarded([this] { About1Click(); }));
    connect(Timer, &TTimer::OnTimer, this, Guarded([this] { TimerTimer(); }));
    connect(CheatTimer, &TTimer::OnTimer, this, Guarded([this] { CheatTimerTimer(); }));
    connect(ClientArea, &TClientArea::DblClick, this, Guarded([this] { FormDblClick(); }));

    // Sized before it is placed: a resize after the window exists would place its client area,
    // not its frame, at the laid-out position.
    layout()->activate();
    move(InitialPosition);
    deal();
}

void TFormMain::createMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Game1 = MainMenu1->addMenu(QStringLiteral("Game"));
    Game1->setObjectName(QStringLiteral("Game1"));
    // The desktop's usual keys reach the menu commands without a mouse.
    New1 = Game1->addAction(QStringLiteral("New"));
    New1->setObjectName(QStringLiteral("New1"));
    New1->setShortcut(QKeySequence::New);
    Exit1 = Game1->addAction(QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    // Ctrl+Q on every system: Windows has no standard key of its own to quit.
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Help1 = MainMenu1->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    About1 = Help1->addAction(QStringLiteral("About..."));
    About1->setObjectName(QStringLiteral("About1"));
    About1->setShortcut(QKeySequence::HelpContents);
}

void TFormMain::createBoard()
{
    ClientArea = new TClientArea(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setAccessibleName(BoardName);
    ClientArea->setAccessibleDescription(BoardHelp);
    Announcer = new TAnnouncer(ClientArea);
    Announcer->setObjectName(QStringLiteral("Announcer"));
    ClientArea->setFixedSize(ClientSize);
    setCentralWidget(ClientArea);
    // The window is as large as the board plus whatever height the menu bar really takes.
    layout()->setSizeConstraint(FixedSizesHonoured() ? QLayout::SetFixedSize
                                                     : QLayout::SetMinimumSize);

    for (int n = 1; n <= CardCount; ++n) {
        const int row = (n - 1) / Columns;
        const int col = (n - 1) % Columns;
        auto *cell = new TPanel(ClientArea);
        cell->setObjectName(QStringLiteral("s%1").arg(n, 2, 10, QLatin1Char('0')));
        cell->setGeometry(CellMargin + CellPitch * col, CellMargin + CellPitch * row, CellSize,
                          CellSize);
        auto *image = new TImage(cell);
        image->setObjectName(QStringLiteral("Image%1").arg(n));
        image->setGeometry(1, 1, PictureSize, PictureSize);
        image->setVisible(false);
        cells[n - 1] = cell;
        images[n - 1] = image;
        connect(cell, &TPanel::Click, this, Guarded([this, cell] { s01Click(cell); }));
        connect(cell, &TPanel::Arrow, this, Guarded([this, n](Qt::Key key) { moveFocus(n, key); }));
        connect(image, &TImage::Changed, this, Guarded([this, n] { describeCard(n); }));
        cell->setAccessibleDescription(
                QStringLiteral("Row %1, column %2").arg(row + 1).arg(col + 1));
        describeCard(n);
    }
    // The board itself takes the focus when the window opens, so that no card shows a focus
    // frame until the first Tab moves it to card 1.
    ClientArea->setFocus();
}

void TFormMain::createStatusBar()
{
    StatusBar1 = new TStatusBar(
            ClientArea,
            {QStringLiteral("Info"), QStringLiteral("Time:   "), QStringLiteral("Attempts:   ")},
            {150, 100, 100});
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(0, ClientSize.height() - TStatusBar::Height, ClientSize.width(),
                            TStatusBar::Height);
}

TTimer *TFormMain::createTimer(const char *name, int intervalMs)
{
    auto *timer = new TTimer(this, intervalMs);
    timer->setObjectName(QLatin1String(name));
    return timer;
}

void TFormMain::deal()
{
    // Every pair twice, face up, then shuffled.
    PlayerName.clear();
    ResultNames.fill(QString());
    for (int n = 1; n <= CardCount; ++n) {
        const int pairId = n <= PairCount ? n : n - PairCount;
        TImage *image = FindImage(n);
        image->LoadFromFile(PicturePath(pairId));
        image->SetTag(pairId);
        image->setVisible(true);
    }
    ResultCount = 0;
    ShuffleBoard();
}

TFormMain::~TFormMain()
{
    if (FormMain == this)
        FormMain = nullptr;
}

QString TFormMain::PicturePath(int pairId)
{
    return QStringLiteral("Images/") + IntToStr(pairId) + QStringLiteral(".bmp");
}

int TFormMain::CardNumberOf(const QObject *cell)
{
    return StrToInt(cell->objectName().mid(1, 2));
}

TImage *TFormMain::FindImage(int n) const
{
    if (n < 1 || n > CardCount)
        throw Exception(QStringLiteral("There is no card %1.").arg(n));
    return images[n - 1];
}

int TFormMain::RandomCardNumber()
{
    for (;;) {
        const double g = RandG(DrawMean, DrawStdDev);
        // Truncation is only defined inside the integer range; anything else is drawn again.
        if (!(g > double(std::numeric_limits<int>::min()) - 1.0
              && g < double(std::numeric_limits<int>::max()) + 1.0))
            continue;
        const int t = int(g);
        int r = t % CardCount + 1;
        if (r < 0)
            r = -r;
        if (r >= 1 && r <= CardCount)
            return r;
    }
}

void TFormMain::SwapCards(TImage *a, TImage *b)
{
    const int pa = a->Tag();
    const int pb = b->Tag();
    // Both files are read before either card changes, so a failed read leaves both as they were.
    const QImage forA = ReadBitmap(PicturePath(pb));
    const QImage forB = ReadBitmap(PicturePath(pa));
    a->SetBitmap(forA);
    b->SetBitmap(forB);
    a->SetTag(pb);
    b->SetTag(pa);
}

void TFormMain::ShuffleBoard()
{
    Randomize();
    for (int i = 0; i < ShuffleExchanges; ++i) {
        TImage *x = FindImage(RandomCardNumber());
        TImage *y = FindImage(RandomCardNumber());
        SwapCards(y, x);
    }
}

void TFormMain::RememberCard(TImage *p)
{
    std::copy_backward(Recent.begin(), Recent.end() - 1, Recent.end());
    Recent[0] = p;
}

void TFormMain::New1Click()
{
    FormNewGame->ShowModal();
    if (EnteredName.isEmpty()) {
        if (!GameRunning())
            setWindowTitle(Caption);
        return;
    }
    PlayerName = EnteredName;
    // Qt reads "[*]" in a title as its mark for unsaved changes; doubled, it shows as typed.
    setWindowTitle(CaptionWithName
                   + QString(PlayerName).replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
    for (int n = 1; n <= CardCount; ++n)
        FindImage(n)->setVisible(false);
    try {
        ShuffleBoard();
    } catch (...) {
        // No game may run on a half-shuffled board; the previous one ends unrecorded, and the
        // caption names no player.
        stopClocks();
        setWindowTitle(Caption);
        throw;
    }
    Recent.fill(nullptr);
    FirstOfPair = true;
    Attempts = 0;
    CardsLeft = CardCount;
    Time = 0;
    const QChar first = PlayerName.at(0);
    CheatActive = first != QLatin1Char('F') && first != QLatin1Char('f');
    Timer->SetEnabled(true);
    CheatTimer->SetEnabled(CheatActive);
    // Told also where a reader, busy with the windows that change, would not read the focus again.
    Announcer->Say(NewGame + BoardHelp);
}

bool TFormMain::lastPairMismatched() const
{
    return Recent[0] && Recent[1] && Recent[0]->Tag() != Recent[1]->Tag();
}

bool TFormMain::isPendingMismatch(const TImage *card) const
{
    return FirstOfPair && lastPairMismatched() && (card == Recent[0] || card == Recent[1]);
}

void TFormMain::s01Click(QObject *Sender)
{
    if (!GameRunning())
        return;
    TImage *p = FindImage(CardNumberOf(Sender));
    // A face-up card is matched or already part of the pair being turned; only the two cards
    // of a mismatch, about to go face down, may open the next pair.
    if (p->FaceUp() && !isPendingMismatch(p))
        return;
    if (FirstOfPair) {
        if (lastPairMismatched()) {
            Recent[0]->setVisible(false);
            Recent[1]->setVisible(false);
        }
        p->setVisible(true);
        RememberCard(p);
        FirstOfPair = false;
        Announcer->Say(Picture.arg(p->Tag()));
        return;
    }
    p->setVisible(true);
    RememberCard(p);
    FirstOfPair = true;
    ++Attempts;
    StatusBar1->SetPanelText(AttemptsPanel, QStringLiteral("Attempts: ") + IntToStr(Attempts));
    const bool match = Recent[0]->Tag() == Recent[1]->Tag();
    Announcer->Say(Picture.arg(p->Tag()) + (match ? Match : Mismatch));
    if (match) {
        CardsLeft -= 2;
        if (CardsLeft == 0)
            FinishGame();
    }
}

void TFormMain::TimerTimer()
{
    ++Time;
    StatusBar1->SetPanelText(TimePanel,
                             QStringLiteral("Time: ") + IntToStr(Time) + QStringLiteral(" s"));
    if (Time == TimeLimit)
        FinishGame();
}

bool TFormMain::isCandidate(const TImage *card) const
{
    return !card->FaceUp() && std::find(Recent.begin(), Recent.end(), card) == Recent.end();
}

void TFormMain::CheatTimerTimer()
{
    if (CardsLeft < ReshuffleMinCardsLeft)
        return;
    Randomize();
    TImage *a = nullptr;
    do
        a = FindImage(RandomCardNumber());
    while (!isCandidate(a));
    TImage *b = nullptr;
    do
        b = FindImage(RandomCardNumber());
    while (!isCandidate(b) || b == a);
    SwapCards(a, b);
}

void TFormMain::recordResult()
{
    // A full table lets its oldest result go, so the game just finished is always kept.
    if (ResultCount == ResultSlots) {
        std::move(ResultNames.begin() + 1, ResultNames.end(), ResultNames.begin());
        std::move(ResultTimes.begin() + 1, ResultTimes.end(), ResultTimes.begin());
        std::move(ResultAttempts.begin() + 1, ResultAttempts.end(), ResultAttempts.begin());
        --ResultCount;
    }
    ResultNames[ResultCount] = PlayerName;
    ResultTimes[ResultCount] = Time;
    ResultAttempts[ResultCount] = Attempts;
    ++ResultCount;
}

void TFormMain::stopClocks()
{
    Timer->SetEnabled(false);
    CheatTimer->SetEnabled(false);
}

void TFormMain::FinishGame()
{
    stopClocks();
    recordResult();
    FormTop10->ShowModal();
}

void TFormMain::FormDblClick()
{
    // Only a running game has a result to record; otherwise the results are just shown.
    if (GameRunning())
        FinishGame();
    else
        FormTop10->ShowModal();
}

void TFormMain::Exit1Click()
{
    close();
}

void TFormMain::About1Click()
{
    FormAbout->ShowModal();
}

void TFormMain::moveFocus(int n, Qt::Key key)
{
    // The arrow keys walk the grid and stop at its edges.
    const int row = std::clamp((n - 1) / Columns + (key == Qt::Key_Down) - (key == Qt::Key_Up), 0,
                               CardCount / Columns - 1);
    const int col = std::clamp((n - 1) % Columns + (key == Qt::Key_Right) - (key == Qt::Key_Left),
                               0, Columns - 1);
    Cell(row * Columns + col + 1)->setFocus(Qt::TabFocusReason);
}

void TFormMain::describeCard(int n)
{
    const TImage *image = images[n - 1];
    const QString state = image->FaceUp() ? QStringLiteral("face up, picture %1").arg(image->Tag())
                                          : QStringLiteral("face down");
    // Only a change is told: each is an event a screen reader must take in while the player waits.
    const QString name = QStringLiteral("Card %1, %2").arg(n).arg(state);
    if (cells[n - 1]->accessibleName() != name)
        cells[n - 1]->setAccessibleName(name);
}
