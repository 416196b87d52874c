// The About window: headlines, the notice about the background reshuffle, program data.
#include "dialogs/About.h"

#include "toolkit/Frame.h"
#include "toolkit/Widgets.h"

#include <QPushButton>

TFormAbout *FormAbout = nullptr;

namespace {

const QStringList SerbianNotice{
        QStringLiteral("Za sve igrace kojima ime ne pocinje "),
        QStringLiteral("sa slovom F program u pozadini "),
        QStringLiteral("nasumice menja raspored slika cineci "),
        QStringLiteral("igru mnogo tezom."),
};

const QStringList EnglishNotice{
        QStringLiteral("For all players with names that doesn't "),
        QStringLiteral("starts with letter F program in "),
        QStringLiteral("background randomly changes order "),
        QStringLiteral("of pictures making a game lot more "),
        QStringLiteral("difficult."),
};

const QStringList ProgramData{
        QStringLiteral("Program: "),
        QStringLiteral("  Name:          Duplora"),
        QStringLiteral("  Version:       1.0"),
        QStringLiteral("  Creation Date: 24.05.2007."),
        QStringLiteral("Contact: "),
        QStringLiteral("  The Duplora developers"),
        QStringLiteral("  Report problems through the"),
        QStringLiteral("  project's issue tracker."),
        QStringLiteral("  "),
};

TMemo *memo(QWidget *owner, const char *name, const QStringList &lines, const QRect &geometry,
            const QFont &font)
{
    auto *result = new TMemo(owner);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(geometry);
    result->setFont(font);
    for (const QString &line : lines)
        result->Append(line);
    return result;
}

} // namespace

TFormAbout::TFormAbout(QWidget *owner)
    : TForm(owner)
{
    setWindowFlags(ResizableWindowFlags);
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About..."));
    resize(ClientSizeFor(OuterSize));
    move(Position);
}

void TFormAbout::CreateControls()
{
    const QColor red(255, 0, 0);
    Label1 = NewLabel(this, "Label1", QStringLiteral("NASMEJ  SE!!!"), {24, 16, 401, 66},
                      FaceFont(FontFace::Serif, 59, true, true), QColor(255, 255, 0));
    Label2 = NewLabel(this, "Label2", QStringLiteral("Bilo je namesteno!"), {128, 104, 199, 29},
                      FaceFont(FontFace::SansSerif, 24), red);
    Label3 = NewLabel(this, "Label3", QStringLiteral("SMILE!!!"), {128, 152, 188, 52},
                      FaceFont(FontFace::Serif, 45, true, true), QColor(255, 255, 255));
    Label4 = NewLabel(this, "Label4", QStringLiteral("It was set up!"), {152, 208, 138, 29},
                      FaceFont(FontFace::SansSerif, 24), red);

    Memo1 = memo(this, "Memo1", SerbianNotice, {32, 248, 185, 89},
                 FaceFont(FontFace::SansSerif, 11));
    Memo1->setAccessibleName(QStringLiteral("Notice in Serbian"));
    Memo2 = memo(this, "Memo2", EnglishNotice, {232, 248, 185, 89}, font());
    Memo2->setAccessibleName(QStringLiteral("Notice in English"));
    Memo3 = memo(this, "Memo3", ProgramData, {48, 344, 353, 89}, FaceFont(FontFace::Monospace, 12));
    Memo3->setAccessibleName(QStringLiteral("Program data"));
    Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette face = Memo3->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    Memo3->setPalette(face);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(168, 456, 123, 33);
    Button1->setAutoDefault(false);

    setTabOrder(Memo1, Memo2);
    setTabOrder(Memo2, Memo3);
    setTabOrder(Memo3, Button1);

    connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
}

// Every opening starts from the first box, so that the same keys do the same at each.
void TFormAbout::FormShow()
{
    Memo1->setFocus();
}

void TFormAbout::Button1Click()
{
    Close();
}
