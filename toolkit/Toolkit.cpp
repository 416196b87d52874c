// The small layer over Qt that gives each window operation the game uses the effect it relies on.
#include "toolkit/Toolkit.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShowEvent>

#include <chrono>
#include <random>

namespace {

constexpr auto ErrorBoxTitle = "Duplora";

bool errorBoxOpen = false;

class ClockSeededSource : public RandomSource
{
public:
    void Seed(quint64 seed) override { engine.seed(seed); }
    double Gauss(double mean, double stdDev) override
    {
        return std::normal_distribution<double>(mean, stdDev)(engine);
    }

private:
    std::mt19937_64 engine{std::random_device{}()};
};

std::unique_ptr<RandomSource> &randomSource()
{
    static std::unique_ptr<RandomSource> source = std::make_unique<ClockSeededSource>();
    return source;
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QString messageOf(const std::exception &error)
{
    const auto *own = dynamic_cast<const Exception *>(&error);
    return own ? own->Message : QString::fromLocal8Bit(error.what());
}

} // namespace

namespace TestHooks {
bool ManualTimers = false;
void SetRandomSource(std::unique_ptr<RandomSource> source)
{
    randomSource() = source ? std::move(source) : std::make_unique<ClockSeededSource>();
}
void Reset()
{
    ManualTimers = false;
    SetRandomSource(nullptr);
}
} // namespace TestHooks

namespace {
QtMessageHandler qtHandler = nullptr;

// Qt's screen-reader bridge chatters where nothing is wrong: it gives the reader 100 ms to answer
// each key and, when it answers later, delivers the key itself and says so (with a busy reader,
// dozens of lines a game); and it names each event or call a newer reader asks for that it does
// not know, under its own category. Nothing for the player to act on: those lines are left out.
void quietScreenReaderBridge(QtMsgType type, const QMessageLogContext &context,
                             const QString &message)
{
    if (message.startsWith(QLatin1String("QSpiApplication::keyEventError"))
        || message.startsWith(QLatin1String("QSpiApplication::notifyKeyboardListenerCallback")))
        return;
    qtHandler(type, context, message);
}
} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    qtHandler = qInstallMessageHandler(quietScreenReaderBridge);
    // QT_LOGGING_RULES still brings them back for whoever debugs the bridge.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.accessibility.atspi.warning=false"));
}

void ShowExceptionLater(const std::exception &error)
{
    QMetaObject::invokeMethod(
            qApp, [message = messageOf(error)] { ShowException(Exception(message)); },
            Qt::QueuedConnection);
}

void ShowException(const std::exception &error)
{
    const QString message = messageOf(error);
    if (errorBoxOpen)
        return;
    errorBoxOpen = true;
    const auto closed = qScopeGuard([] { errorBoxOpen = false; });
    // The box belongs to the window the player is in, as the game's dialogs do.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ErrorBoxTitle), message,
                    QMessageBox::Ok, owner);
    box.exec();
}

TForm::TForm(QWidget *owner)
    : QDialog(owner)
{ }

int TForm::ShowModal()
{
    // exec() on a window already in exec() only prints a warning and returns; never try.
    if (inModal)
        return -1;
    inModal = true;
    // The keyboard goes back to the window that opened this one, also without a window manager.
    QWidget *opener = QApplication::activeWindow();
    const auto done = qScopeGuard([this, opener] {
        inModal = false;
        if (opener)
            opener->activateWindow();
    });
    return exec();
}

void TForm::setVisible(bool visible)
{
    if (visible && !controlsCreated) {
        controlsCreated = true;
        CreateControls();
    }
    QDialog::setVisible(visible);
}

void TForm::Close()
{
    reject();
}

void TForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TForm::keyPressEvent(QKeyEvent *event)
{
    // A window without a cancel button does not close on Escape.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    // A focused button takes Enter, as on every desktop; elsewhere Enter is the default button's.
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

TTimer::TTimer(QObject *owner, int intervalMs)
    : QObject(owner)
{
    timer.setInterval(intervalMs);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &TTimer::Tick);
}

void TTimer::SetEnabled(bool on)
{
    enabled = on;
    if (on && !TestHooks::ManualTimers)
        timer.start();
    else
        timer.stop();
}

void TTimer::Tick()
{
    if (enabled)
        emit OnTimer();
}

QString IntToStr(int value)
{
    return QString::number(value);
}

bool TeardownMayHang()
{
    return onWayland();
}

bool FixedSizesHonoured()
{
    return !onWayland();
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    // As a window is about to be shown, Qt does not know its frame yet, or knows a wrong one
    // (seen: 26, 60, 26, 29 under metacity, whose real frame is 0, 37, 0, 0); the frame the same
    // window manager drew around its owner, which is on screen, stands in for it.
    const QWidget *framed = window->parentWidget() ? window->parentWidget()->window() : window;
    const QRect outerOfFramed = framed->frameGeometry(), innerOfFramed = framed->geometry();
    const QMargins frame(innerOfFramed.left() - outerOfFramed.left(),
                         innerOfFramed.top() - outerOfFramed.top(),
                         outerOfFramed.right() - innerOfFramed.right(),
                         outerOfFramed.bottom() - innerOfFramed.bottom());
    QRect outer = QRect(QPoint(), window->size()).marginsAdded(frame);
    outer.moveCenter(screen->availableGeometry().center());
    // The client area's place, which does not depend on what Qt knows of the window's frame.
    window->setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), window->size()));
}

int StrToInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw Exception(QStringLiteral("\"%1\" is not a valid integer value.").arg(text));
    return value;
}

void Randomize()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    randomSource()->Seed(
            quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

double RandG(double mean, double stdDev)
{
    return randomSource()->Gauss(mean, stdDev);
}
