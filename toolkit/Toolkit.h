// The small layer over Qt that gives each window operation the game uses the effect it relies on.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>
#include <stdexcept>

// The one kind of error the toolkit raises; its message is written for the player.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString &message)
        : std::runtime_error(message.toStdString())
        , Message(message)
    { }
    QString Message;
};

// The application object.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
};

// Whether destroying the application object may hang the process. Qt's Wayland plugin (6.4 to
// 6.8) can deadlock as it closes its connection: when its event thread is told to stop just after
// the main thread prepared a read for it, the thread leaves without cancelling that read, and its
// frame-queue thread then waits for that read in wl_display_read_events forever. Where so, the
// process ends at once (_Exit, as quick_exit would with nothing registered), once the game's own
// windows are gone; the compositor frees what the connection held when the process ends.
bool TeardownMayHang();

// Shows the error in the standard error box. While one box is open further errors are
// dropped, not stacked on top of it.
void ShowException(const std::exception &error);

// Shows the error from the event loop, once the code that runs now has returned to it.
void ShowExceptionLater(const std::exception &error);

// An event handler that ends at its first error. The error must not pass through Qt's own code,
// which Debian builds without exception support, so that nothing of it is cleaned up (a menu's
// guard against re-entry stays set, for one): it is caught at the handler's edge, and its box
// opens from the event loop once the control that called the handler has done its own work.
template<class Handler> auto Guarded(Handler handler)
{
    return [handler](auto... args) -> decltype(handler(args...), void()) {
        try {
            handler(args...);
        } catch (const std::exception &error) {
            ShowExceptionLater(error);
        } catch (...) {
            ShowExceptionLater(std::runtime_error("An unknown error occurred."));
        }
    };
}

// A top-level window shown modally: runs FormShow before it appears, never nests itself.
class TForm : public QDialog
{
    Q_OBJECT
public:
    explicit TForm(QWidget *owner = nullptr);
    int ShowModal();
    void Close();

    void setVisible(bool visible) override;

protected:
    // Builds the window's controls. It runs at the window's first opening, so that nothing of a
    // window nobody opened (a face, a label's size, a layout) costs time before the main window
    // shows.
    virtual void CreateControls() { }
    virtual void FormShow() { }
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool inModal = false;
    bool controlsCreated = false;
};

// A timer whose enabled flag can be read back. Ticks come from a QTimer, or only from Tick()
// when the tests drive the clock.
class TTimer : public QObject
{
    Q_OBJECT
public:
    TTimer(QObject *owner, int intervalMs);
    bool Enabled() const { return enabled; }
    void SetEnabled(bool on);
    // One tick now, exactly as if the interval had run out; nothing when disabled.
    void Tick();

signals:
    void OnTimer();

private:
    QTimer timer{this};
    bool enabled = false;
};

// Whether a window may keep a fixed size of its own. Under Wayland a maximized or fullscreen
// window must take the size the compositor configures, or the compositor ends the program; there
// a fixed window only sets its least size, and its controls keep their places.
bool FixedSizesHonoured();

// Places a window about to be shown so that its frame, as the window manager draws it around the
// window's owner, stands in the middle of its screen: the same place at every opening.
void CentreOnScreen(QWidget *window);

QString IntToStr(int value);
int StrToInt(const QString &text);

// The global pseudo-random generator behind Randomize and RandG.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void Seed(quint64 seed) = 0;
    virtual double Gauss(double mean, double stdDev) = 0;
};
void Randomize();
double RandG(double mean, double stdDev);

// What the tests put in place of the clock and chance. Players configure nothing.
namespace TestHooks {
// When set, timers never start a QTimer; only Tick() fires them.
extern bool ManualTimers;
void SetRandomSource(std::unique_ptr<RandomSource> source);
void Reset();
} // namespace TestHooks
