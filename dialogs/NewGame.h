// The dialog that asks for the player's name before a game.
#pragma once

#include "toolkit/Toolkit.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TFormNewGame : public TForm
{
    Q_OBJECT
public:
    static constexpr QSize ClientSize{233, 93};
    static constexpr int MaxNameLength = 20;

    explicit TFormNewGame(QWidget *owner = nullptr);

    void OKBtnClick();
    void CancelBtnClick();

    QLabel *Label1 = nullptr;
    QLineEdit *edtPlayerName = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

protected:
    void CreateControls() override;
    void FormShow() override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TFormNewGame *FormNewGame;
