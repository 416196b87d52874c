// The dialog that asks for the player's name before a game.
#include "dialogs/NewGame.h"

#include "main/Main.h"
#include "toolkit/Widgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormNewGame *FormNewGame = nullptr;

TFormNewGame::TFormNewGame(QWidget *owner)
    : TForm(owner)
{
    // A fixed dialog frame with a title and no buttons on it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setObjectName(QStringLiteral("FormNewGame"));
    setWindowTitle(QStringLiteral("New game"));
    FixedSizesHonoured() ? setFixedSize(ClientSize) : setMinimumSize(ClientSize);
}

void TFormNewGame::CreateControls()
{
    Label1 = NewLabel(this, "Label1", QStringLiteral("Enter your name:"), {8, 9, 80, 13});

    edtPlayerName = new QLineEdit(this);
    edtPlayerName->setObjectName(QStringLiteral("edtPlayerName"));
    edtPlayerName->setGeometry(8, 27, 217, 21);
    edtPlayerName->setAccessibleName(QStringLiteral("Your name"));
    edtPlayerName->setValidator(new TCharacterLimit(MaxNameLength, edtPlayerName));
    Label1->setBuddy(edtPlayerName);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(70, 59, 75, 25);
    OKBtn->setDefault(true);

    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(150, 59, 75, 25);
    CancelBtn->setAutoDefault(false);

    setTabOrder(edtPlayerName, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    // Both buttons close the dialog once their click event has run.
    connect(OKBtn, &QPushButton::clicked, this, Guarded([this] {
                OKBtnClick();
                accept();
            }));
    connect(CancelBtn, &QPushButton::clicked, this, Guarded([this] {
                CancelBtnClick();
                reject();
            }));
}

void TFormNewGame::FormShow()
{
    // setText, unlike clear(), also drops the undo history of earlier names. The dialog opens
    // in the box, however it was left the last time.
    edtPlayerName->setText(QString());
    edtPlayerName->setFocus();
    FormMain->EnteredName.clear();
    CentreOnScreen(this);
}

void TFormNewGame::OKBtnClick()
{
    if (edtPlayerName->text().isEmpty())
        return;
    FormMain->EnteredName = edtPlayerName->text();
    Close();
}

void TFormNewGame::CancelBtnClick()
{
    Close();
}

void TFormNewGame::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtn->click();
        return;
    }
    TForm::keyPressEvent(event);
}
