// The About window: headlines, the notice about the background reshuffle, program data.
#pragma once

#include "toolkit/Toolkit.h"

class QLabel;
class QPushButton;
class TMemo;

class TFormAbout : public TForm
{
    Q_OBJECT
public:
    static constexpr QSize OuterSize{470, 526};
    static constexpr QPoint Position{304, 39};

    explicit TFormAbout(QWidget *owner = nullptr);

    void CreateControls() override;
    void FormShow() override;
    void Button1Click();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    TMemo *Memo1 = nullptr;
    TMemo *Memo2 = nullptr;
    TMemo *Memo3 = nullptr;
    QPushButton *Button1 = nullptr;
};

extern TFormAbout *FormAbout;
