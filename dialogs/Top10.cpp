// The results window: the games finished since start-up, ranked by time and by attempts.
#include "dialogs/Top10.h"

#include "main/Main.h"
#include "toolkit/Frame.h"
#include "toolkit/Widgets.h"

#include <QPushButton>

#include <algorithm>
#include <limits>
#include <utility>

TFormTop10 *FormTop10 = nullptr;

namespace {

const QString NamesByTime = QStringLiteral("Names by time");
const QString NamesByAttempts = QStringLiteral("Names by attempts");

template<std::size_t N> int nextBy(const std::array<int, N> &keys, int lastValue, int lastSlot)
{
    const int count = std::clamp(FormMain->ResultCount, 0, int(N));
    const std::pair last{lastValue, lastSlot};
    int found = -1;
    for (int s = 0; s < count; ++s) {
        const std::pair key{keys[s], s};
        if (key > last && (found < 0 || key < std::pair{keys[found], found}))
            found = s;
    }
    return found;
}

TMemo *column(QWidget *owner, const char *name, const QString &accessibleName,
              const QRect &geometry)
{
    auto *memo = new TMemo(owner);
    memo->setObjectName(QLatin1String(name));
    memo->setAccessibleName(accessibleName);
    memo->setGeometry(geometry);
    return memo;
}

// A game as a screen reader tells it, in one breath.
QString spoken(int slot)
{
    return QStringLiteral("%1, %2 seconds, %3 attempts")
            .arg(FormMain->ResultNames[slot], IntToStr(FormMain->ResultTimes[slot]),
                 IntToStr(FormMain->ResultAttempts[slot]));
}

// Where a game stands in a ranking, counted from 1.
template<std::size_t N> int place(const std::array<int, N> &keys, int slot)
{
    int before = 0;
    for (int s = 0; s < std::min(FormMain->ResultCount, int(N)); ++s)
        before += std::pair{keys[s], s} < std::pair{keys[slot], slot};
    return before + 1;
}

// Fills the three columns of one ranking. A screen reader hears each row whole in the names box's
// name, which every reader speaks as the box takes the focus, whenever it handled the change: the
// boxes themselves are read a column at a time, and a description is not spoken at the focus by
// every reader (Orca 48).
void fillRanking(int (*next)(int, int), const std::array<int, TFormMain::ResultSlots> &keys,
                 TMemo *names, TMemo *times, TMemo *attempts, const QString &heading)
{
    QString told = heading;
    int lastValue = std::numeric_limits<int>::min();
    int lastSlot = -1;
    const int rows = std::min(FormMain->ResultCount, TFormTop10::MaxRows);
    for (int r = 0; r < rows; ++r) {
        const int k = next(lastValue, lastSlot);
        if (k < 0)
            break;
        lastValue = keys[k];
        lastSlot = k;
        names->Append(FormMain->ResultNames[k]);
        times->Append(IntToStr(FormMain->ResultTimes[k]));
        attempts->Append(IntToStr(FormMain->ResultAttempts[k]));
        told += QStringLiteral(" %1. %2.").arg(r + 1).arg(spoken(k));
    }
    names->setAccessibleName(told);
}

} // namespace

int NextByTime(int lastValue, int lastSlot)
{
    return nextBy(FormMain->ResultTimes, lastValue, lastSlot);
}
int NextByAttempts(int lastValue, int lastSlot)
{
    return nextBy(FormMain->ResultAttempts, lastValue, lastSlot);
}

TFormTop10::TFormTop10(QWidget *owner)
    : TForm(owner)
{
    setWindowFlags(ResizableWindowFlags);
    setObjectName(QStringLiteral("FormTop10"));
    setWindowTitle(QStringLiteral("Top 10"));
    resize(ClientSizeFor(OuterSize));
    move(Position);
}

void TFormTop10::CreateControls()
{
    const QFont headlineFace = FaceFont(FontFace::Serif, 32, true, true);
    const QColor blue(0, 0, 255);
    Label1 = NewLabel(this, "Label1", QStringLiteral("Top 10 (by Time):"), {8, 8, 238, 36},
                      headlineFace, blue);
    Label3 = NewLabel(this, "Label3", QStringLiteral("Name"), {8, 48, 28, 13});
    Label4 = NewLabel(this, "Label4", QStringLiteral("Time"), {224, 48, 23, 13});
    Label5 = NewLabel(this, "Label5", QStringLiteral("Attempts"), {320, 48, 41, 13});
    mmoTop10NamesByTime = column(this, "mmoTop10NamesByTime", NamesByTime, {8, 64, 217, 137});
    mmoTop10TimesByTime = column(this, "mmoTop10TimesByTime", QStringLiteral("Times by time"),
                                 {224, 64, 97, 137});
    mmoTop10AttemptsByTime = column(this, "mmoTop10AttemptsByTime",
                                    QStringLiteral("Attempts by time"), {320, 64, 97, 137});
    Label2 = NewLabel(this, "Label2", QStringLiteral("Top 10 (by Attempts):"), {8, 208, 285, 36},
                      headlineFace, blue);
    Label6 = NewLabel(this, "Label6", QStringLiteral("Name"), {8, 248, 28, 13});
    Label7 = NewLabel(this, "Label7", QStringLiteral("Time"), {224, 248, 23, 13});
    Label8 = NewLabel(this, "Label8", QStringLiteral("Attempts"), {320, 248, 41, 13});
    mmoTop10NamesByAttempts
            = column(this, "mmoTop10NamesByAttempts", NamesByAttempts, {8, 264, 217, 137});
    mmoTop10TimesByAttempts = column(this, "mmoTop10TimesByAttempts",
                                     QStringLiteral("Times by attempts"), {224, 264, 97, 137});
    mmoTop10AttemptsByAttempts
            = column(this, "mmoTop10AttemptsByAttempts", QStringLiteral("Attempts by attempts"),
                     {320, 264, 97, 137});

    ScrollTogether({mmoTop10NamesByTime, mmoTop10TimesByTime, mmoTop10AttemptsByTime});
    ScrollTogether({mmoTop10NamesByAttempts, mmoTop10TimesByAttempts, mmoTop10AttemptsByAttempts});

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(256, 416, 171, 33);
    Button1->setAutoDefault(false);

    setTabOrder(mmoTop10NamesByTime, Button1);
    setTabOrder(Button1, mmoTop10NamesByAttempts);
    setTabOrder(mmoTop10NamesByAttempts, mmoTop10TimesByTime);
    setTabOrder(mmoTop10TimesByTime, mmoTop10AttemptsByTime);
    setTabOrder(mmoTop10AttemptsByTime, mmoTop10TimesByAttempts);
    setTabOrder(mmoTop10TimesByAttempts, mmoTop10AttemptsByAttempts);

    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
}

void TFormTop10::FormShow()
{
    for (TMemo *memo :
         {mmoTop10NamesByTime, mmoTop10TimesByTime, mmoTop10AttemptsByTime, mmoTop10NamesByAttempts,
          mmoTop10TimesByAttempts, mmoTop10AttemptsByAttempts})
        memo->Clear();
    // The first box read tells the last game's result and where it stands.
    const int last = FormMain->ResultCount - 1;
    const QString result = last < 0
            ? QString()
            : QStringLiteral("Last game: %1, place %2 by time, place %3 by attempts. ")
                      .arg(spoken(last))
                      .arg(place(FormMain->ResultTimes, last))
                      .arg(place(FormMain->ResultAttempts, last));
    fillRanking(NextByTime, FormMain->ResultTimes, mmoTop10NamesByTime, mmoTop10TimesByTime,
                mmoTop10AttemptsByTime,
                NamesByTime + QStringLiteral(". ") + result + QStringLiteral("By time:"));
    fillRanking(NextByAttempts, FormMain->ResultAttempts, mmoTop10NamesByAttempts,
                mmoTop10TimesByAttempts, mmoTop10AttemptsByAttempts,
                NamesByAttempts + QStringLiteral(". By attempts:"));
    // Every opening starts from the first box, so that the same keys do the same at each.
    mmoTop10NamesByTime->setFocus();
}

void TFormTop10::Button1Click()
{
    Close();
}
