// The dialog that asks for the player's name before a game.
#include "dialogs/NewGame.h"

#include "main/Main.h"
#include "toolkit/Widgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBoundaryFinder>

TFormNewGame *FormNewGame = nullptr;

QString FirstCharacters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int characters = 0;
    while (finder.toNextBoundary() != -1) {
        if (++characters == count)
            return text.left(finder.position());
    }
    return text;
}

TFormNewGame::TFormNewGame(QWidget *owner)
    : TForm(owner)
{
    // A fixed dialog frame with a title and no buttons on it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setObjectName(QStringLiteral("FormNewGame"));
    setWindowTitle(QStringLiteral("New game"));
    setFixedSize(ClientSize);

    Label1 = NewLabel(this, "Label1", QStringLiteral("Enter your name:"), {8, 9, 80, 13});

    edtPlayerName = new QLineEdit(this);
    edtPlayerName->setObjectName(QStringLiteral("edtPlayerName"));
    edtPlayerName->setGeometry(8, 27, 217, 21);
    edtPlayerName->setAccessibleName(QStringLiteral("Your name"));
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

    connect(edtPlayerName, &QLineEdit::textChanged, this, &TFormNewGame::limitName);
    // Both buttons close the dialog once their click event has run.
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        CancelBtnClick();
        reject();
    });
}

void TFormNewGame::limitName()
{
    const QString text = edtPlayerName->text();
    const QString cut = FirstCharacters(text, MaxNameLength);
    if (cut.size() != text.size())
        edtPlayerName->setText(cut);
}

void TFormNewGame::FormShow()
{
    // setText, unlike clear(), also drops the undo history of earlier names.
    edtPlayerName->setText(QString());
    FormMain->EnteredName.clear();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + frameGeometry().topLeft());
}

void TFormNewGame::OKBtnClick()
{
    if (edtPlayerName->text().isEmpty())
        return;
    FormMain->EnteredName = edtPlayerName->text();
    Close();
}

void TFormNewGame::CancelBtnClick() { Close(); }

void TFormNewGame::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtn->click();
        return;
    }
    TForm::keyPressEvent(event);
}
