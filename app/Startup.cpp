// Start-up: the four windows, the event loop, and what the process returns.
#include "app/Startup.h"

#include "dialogs/About.h"
#include "dialogs/NewGame.h"
#include "dialogs/Top10.h"
#include "main/Main.h"
#include "toolkit/Toolkit.h"
#include "toolkit/Widgets.h"

#include <QIcon>

namespace {

constexpr int DefaultFontPixels = 11;

template<class T> void CreateForm(T *&reference, QWidget *owner = nullptr)
{
    try {
        reference = new T(owner);
    } catch (...) {
        reference = nullptr;
        throw;
    }
}

template<class T> void DestroyForm(T *&reference)
{
    delete reference;
    reference = nullptr;
}

} // namespace

void PrepareApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("duplora"));
    app.setApplicationVersion(QStringLiteral("1.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.duplora.Duplora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/duplora.png")));
    QApplication::setFont(FaceFont(FontFace::SansSerif, DefaultFontPixels));
    // The windows are laid out in strong colours on a light background (blue headings, red and
    // yellow titles): under a dark desktop theme they keep that background, so that every text
    // reads as well as it was laid out to.
    QApplication::setPalette(LightPalette());
}

void CreateForms()
{
    CreateForm(FormMain);
    // The dialogs belong to the main window: window managers and compositors then keep them
    // above it, and task bars do not list them as windows of their own.
    CreateForm(FormNewGame, FormMain);
    CreateForm(FormTop10, FormMain);
    CreateForm(FormAbout, FormMain);
}

void DestroyForms()
{
    DestroyForm(FormAbout);
    DestroyForm(FormTop10);
    DestroyForm(FormNewGame);
    DestroyForm(FormMain);
}

int Run(TApplication &app)
{
    try {
        PrepareApplication(app);
        CreateForms();
        FormMain->show();
        const int code = app.exec();
        DestroyForms();
        return code;
    } catch (const std::exception &error) {
        ShowException(error);
        DestroyForms();
        return ExitFailedStartUp;
    }
}
