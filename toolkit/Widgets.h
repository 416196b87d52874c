// The controls the windows are built from: card cells and pictures, status bar, text boxes.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QValidator>
#include <QWidget>

#include <optional>

// Fonts the layouts name, with the metric twins Debian ships as fall-backs.
enum class FontFace { SansSerif, Serif, Monospace };
QFont FaceFont(FontFace face, int pixelSize, bool bold = false, bool italic = false);

// Places a label as laid out, widened where this platform's face draws the text a few pixels
// wider than the layout's, so that no letter is cut off.
void PlaceLabel(QLabel *label, const QRect &geometry);

// A label placed so, in its own face and colour where given, else in its window's.
QLabel *NewLabel(QWidget *owner, const char *name, const QString &text, const QRect &geometry,
                 const std::optional<QFont> &font = {}, const QColor &colour = {});

// Holds a line to a number of characters as a reader counts them (an accent or an emoji is
// one): a key that would pass the limit is refused, a paste is cut to the room left. Line and
// paragraph breaks become blanks, as a one-line box shows them.
class TCharacterLimit : public QValidator
{
public:
    TCharacterLimit(int limit, QObject *owner)
        : QValidator(owner)
        , limit(limit)
    { }
    State validate(QString &input, int &pos) const override;

private:
    int limit;
    // The text as last accepted: what an edit is measured against.
    mutable QString accepted;
};

// A card picture: a stretched bitmap carrying a pair id in its Tag.
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget *owner);
    int Tag() const { return tag; }
    void SetTag(int value);
    void SetBitmap(const QImage &bitmap);
    void LoadFromFile(const QString &path);
    // Shown, whether or not its window is on screen.
    bool FaceUp() const { return !isHidden(); }
    void setVisible(bool visible) override;

signals:
    void Changed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int tag = 0;
};

// A raised panel; a left-button press and release on it is a click, and so are Space and Enter
// once the keyboard has given it the focus. To assistive technology it is a button.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TPanel(QWidget *owner);
    void Press() { emit Click(); }

signals:
    void Click();
    // An arrow key pressed on the focused panel.
    void Arrow(Qt::Key key);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool pressed = false;
};

// Tells a screen reader a short message at once, unseen: a notification that shows and goes, as
// readers speak a notification that shows, also where they drop a focused control's new name.
class TAnnouncer : public QWidget
{
    Q_OBJECT
public:
    explicit TAnnouncer(QWidget *owner);
    void Say(const QString &message);
};

// A status bar of fixed-width panels; to assistive technology a status bar, so that a screen
// reader's status-bar command reads its panels.
class TStatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Height = 19;
    TStatusBar(QWidget *owner, const QStringList &texts, const QList<int> &widths);
    void SetPanelText(int index, const QString &text);
    QString PanelText(int index) const;
    // Every panel's text, as a screen reader reads the bar.
    QString Text() const;

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QList<QLabel *> panels;
};

// A read-only multi-line box that is cleared and filled line by line, a line to a row, and
// shows only whole rows.
class TMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TMemo(QWidget *owner);
    void Clear();
    void Append(const QString &line);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // An empty first line leaves the document as empty as none, so count lines apart.
    bool empty = true;
};

// The light palette the windows are laid out on, whatever the desktop's theme: the style's own
// standard palette follows a dark theme.
QPalette LightPalette();

// Boxes side by side whose rows belong together: any of them scrolls all of them.
void ScrollTogether(const QList<TMemo *> &memos);

// The main window's own background: its double-clicks are the window's. To assistive technology
// it is a pane, named as its owner tells.
class TClientArea : public QWidget
{
    Q_OBJECT
public:
    explicit TClientArea(QWidget *owner);

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
