// The results window: the games finished since start-up, ranked by time and by attempts.
#pragma once

#include "toolkit/Toolkit.h"

class QLabel;
class QPushButton;
class TMemo;

class TFormTop10 : public TForm
{
    Q_OBJECT
public:
    static constexpr QSize OuterSize{444, 485};
    static constexpr QPoint Position{419, 105};
    static constexpr int MaxRows = 11;

    explicit TFormTop10(QWidget *owner = nullptr);

    void Button1Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    TMemo *mmoTop10NamesByTime = nullptr;
    TMemo *mmoTop10TimesByTime = nullptr;
    TMemo *mmoTop10AttemptsByTime = nullptr;
    TMemo *mmoTop10NamesByAttempts = nullptr;
    TMemo *mmoTop10TimesByAttempts = nullptr;
    TMemo *mmoTop10AttemptsByAttempts = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    void CreateControls() override;
    void FormShow() override;
};

// The slot of the next game in a ranking after the game (lastValue, lastSlot): the smallest
// (key, slot) above it among the recorded games, so ties keep the order the games finished.
// -1 when none is left. Start from (INT_MIN, -1).
int NextByTime(int lastValue, int lastSlot);
int NextByAttempts(int lastValue, int lastSlot);

extern TFormTop10 *FormTop10;
