// The controls the windows are built from: card cells and pictures, status bar, text boxes.
#include "toolkit/Widgets.h"

#include "toolkit/Bitmap.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>

#include <algorithm>

namespace {
// Liberation Sans, the stand-in Debian has, draws about a tenth wider than MS Sans Serif at the
// same character height; narrowed so, every line laid out for MS Sans Serif keeps to one line.
constexpr int SansSerifStandInStretch = 90;
} // namespace

QFont FaceFont(FontFace face, int pixelSize, bool bold, bool italic)
{
    QFont font;
    font.setPixelSize(pixelSize);
    switch (face) {
    case FontFace::SansSerif:
        font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")});
        font.setStyleHint(QFont::SansSerif);
        if (QFontInfo(font).family() != QLatin1String("MS Sans Serif"))
            font.setStretch(SansSerifStandInStretch);
        break;
    case FontFace::Serif:
        font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                          QStringLiteral("DejaVu Serif")});
        font.setStyleHint(QFont::Serif);
        break;
    case FontFace::Monospace:
        font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("DejaVu Sans Mono")});
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        break;
    }
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

namespace {

// The keyboard focus on a card: a frame in the window's highlight colour, lined with its
// highlighted-text colour so that it stands out on any picture, drawn by the picture too, so
// that it shows over a face-up card.
void drawFocusFrame(QWidget *widget, const QRect &cell)
{
    constexpr int Width = 3;
    QPainter painter(widget);
    painter.setPen(QPen(widget->palette().color(QPalette::Highlight), Width));
    painter.drawRect(cell.adjusted(Width, Width, -Width, -Width));
    painter.setPen(widget->palette().color(QPalette::HighlightedText));
    painter.drawRect(cell.adjusted(Width + 2, Width + 2, -Width - 3, -Width - 3));
}

// Screen readers see a cell as a button whose press action clicks it.
class PanelAccessible : public QAccessibleWidget
{
public:
    explicit PanelAccessible(QWidget *panel)
        : QAccessibleWidget(panel, QAccessible::Button)
    { }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString &action) override
    {
        // As a real button's press (animateClick): queued, so that the reader's call returns at
        // once, also when the press ends a game and opens Top 10; and, as a click would, nothing
        // while a modal window blocks the board.
        if (action == pressAction()) {
            if (!QApplication::activeModalWidget())
                QMetaObject::invokeMethod(static_cast<TPanel *>(widget()), &TPanel::Press,
                                          Qt::QueuedConnection);
        } else
            QAccessibleWidget::doAction(action);
    }
};

// A status bar with the text of its panels, for readers that read a bar's text, not its labels
// (Orca 48). Its text changes unannounced: a reader reads it when asked, not at every tick.
class StatusBarAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit StatusBarAccessible(QWidget *bar)
        : QAccessibleWidget(bar, QAccessible::StatusBar)
    { }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    using QAccessibleWidget::text;
    QString text(int start, int end) const override { return all().mid(start, end - start); }
    int characterCount() const override { return int(all().size()); }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }
    // Nothing to select, no caret, no place on the screen for a character of its own.
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }

private:
    QString all() const { return static_cast<const TStatusBar *>(widget())->Text(); }
};

// The roles our controls have for assistive technology, installed by the first that needs one.
QAccessibleInterface *controlAccessible(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (className == QLatin1String("TPanel"))
        return new PanelAccessible(widget);
    if (className == QLatin1String("TStatusBar"))
        return new StatusBarAccessible(widget);
    if (className == QLatin1String("TAnnouncer"))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("TClientArea"))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    return nullptr;
}

void installRoles()
{
    static const bool installed = (QAccessible::installFactory(controlAccessible), true);
    Q_UNUSED(installed);
}

// The nearest boundary between two characters at or before (or after) a position in a text.
qsizetype boundary(const QString &text, qsizetype position, bool after)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    return finder.isAtBoundary() ? position
            : after              ? finder.toNextBoundary()
                                 : finder.toPreviousBoundary();
}

// How many characters a reader sees in a text, and the first `count` of them.
int characters(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString firstCharacters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < count && (end = finder.toNextBoundary()) != -1; ++i) { }
    return end == -1 ? text : text.left(end);
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator;
}

} // namespace

QValidator::State TCharacterLimit::validate(QString &input, int &pos) const
{
    std::replace_if(input.begin(), input.end(), isLineBreak, QLatin1Char(' '));
    if (characters(input) > limit) {
        // The edit replaced what lies between the unchanged head and tail of the text.
        qsizetype head = 0, tail = 0;
        while (head < accepted.size() && head < input.size() && accepted[head] == input[head])
            ++head;
        while (tail < accepted.size() - head && tail < input.size() - head
               && accepted[accepted.size() - 1 - tail] == input[input.size() - 1 - tail])
            ++tail;
        head = boundary(input, head, false);
        tail = input.size() - boundary(input, input.size() - tail, true);
        const QString kept = accepted.left(head) + accepted.right(tail);
        const QString inserted = firstCharacters(input.mid(head, input.size() - head - tail),
                                                 limit - characters(kept));
        if (inserted.isEmpty())
            return Invalid;
        input = accepted.left(head) + inserted + accepted.right(tail);
        pos = int(head + inserted.size());
    }
    accepted = input;
    return Acceptable;
}

void PlaceLabel(QLabel *label, const QRect &geometry)
{
    const QRect ink = QFontMetrics(label->font()).tightBoundingRect(label->text());
    label->setGeometry(geometry.x(), geometry.y(), std::max(geometry.width(), ink.right() + 2),
                       std::max(geometry.height(), ink.height() + 2));
}

QLabel *NewLabel(QWidget *owner, const char *name, const QString &text, const QRect &geometry,
                 const std::optional<QFont> &font, const QColor &colour)
{
    auto *label = new QLabel(text, owner);
    label->setObjectName(QLatin1String(name));
    if (font)
        label->setFont(*font);
    PlaceLabel(label, geometry);
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    return label;
}

TImage::TImage(QWidget *owner)
    : QLabel(owner)
{
    setScaledContents(true);
    setAlignment(Qt::AlignCenter);
    // A face-up picture swallows clicks: only the cell's frame around it reaches the cell.
    setAttribute(Qt::WA_NoMousePropagation);
}

void TImage::SetTag(int value)
{
    tag = value;
    emit Changed();
}

void TImage::SetBitmap(const QImage &image)
{
    setPixmap(QPixmap::fromImage(image));
}

void TImage::LoadFromFile(const QString &path)
{
    SetBitmap(ReadBitmap(path));
}

void TImage::setVisible(bool visible)
{
    QLabel::setVisible(visible);
    emit Changed();
}

void TImage::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (parentWidget()->hasFocus())
        drawFocusFrame(this, parentWidget()->rect().translated(-pos()));
}

TPanel::TPanel(QWidget *owner)
    : QFrame(owner)
{
    installRoles();
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    // Only the keyboard focuses a cell, so a mouse player never sees the frame.
    setFocusPolicy(Qt::TabFocus);
}

void TPanel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit Click();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        emit Arrow(Qt::Key(event->key()));
        break;
    default:
        QFrame::keyPressEvent(event);
    }
}

void TPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (hasFocus())
        drawFocusFrame(this, rect());
}

void TPanel::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed && event->button() == Qt::LeftButton
            && rect().contains(event->position().toPoint());
    pressed = false;
    event->accept();
    if (click)
        emit Click();
}

TStatusBar::TStatusBar(QWidget *owner, const QStringList &texts, const QList<int> &widths)
    : QWidget(owner)
{
    installRoles();
    constexpr int Gap = 2;
    int left = 0;
    for (int i = 0; i < texts.size(); ++i) {
        auto *panel = new QLabel(texts.at(i), this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        panel->setGeometry(left, Gap, widths.at(i) - Gap, Height - Gap);
        left += widths.at(i);
        panels.append(panel);
    }
}

TAnnouncer::TAnnouncer(QWidget *owner)
    : QWidget(owner)
{
    installRoles();
    // A point that draws nothing, so that a sighted player sees no change.
    setGeometry(0, 0, 1, 1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void TAnnouncer::Say(const QString &message)
{
    // The name changes before the notification shows, so that a reader that keeps names (Orca 48)
    // reads the new one.
    hide();
    setAccessibleName(message);
    show();
#ifdef Q_OS_WIN
    // Qt's Windows plugin passes neither a window's showing nor a name's change on to UI
    // Automation (but a combo box's name); a value change that carries text it raises as UI
    // Automation's notification, which Narrator and NVDA speak.
    QAccessibleValueChangeEvent spoken(this, message);
    QAccessible::updateAccessibility(&spoken);
#endif
}

void TStatusBar::SetPanelText(int index, const QString &text)
{
    panels.at(index)->setText(text);
}
QString TStatusBar::PanelText(int index) const
{
    return panels.at(index)->text();
}

QString TStatusBar::Text() const
{
    QStringList texts;
    for (const QLabel *panel : panels)
        texts << panel->text().trimmed();
    return texts.join(QLatin1String(". "));
}

void TStatusBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The status bar is not the window's background: its double-clicks end nothing.
    event->accept();
}

TMemo::TMemo(QWidget *owner)
    : QPlainTextEdit(owner)
{
    setReadOnly(true);
    // The caret shows in a box that has the focus, so that a keyboard player sees where Tab is.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Nobody edits these boxes, so refilling them must not pile up undo steps.
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    // A thin inner margin, as the boxes are laid out for a narrower face than Debian has.
    document()->setDocumentMargin(1);
    // A line wider than the box is cut, not wrapped, so that the rows of boxes side by side stay
    // level. Below the last whole row the box shows its own base colour.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void TMemo::showEvent(QShowEvent *event)
{
    // A row cut at the bottom would be read beside the wrong row of the next box: the view ends
    // after the last row that fits whole. Measured as the box is shown, with its real face.
    const int row = qRound(blockBoundingRect(document()->firstBlock()).height());
    const int margin = qRound(document()->documentMargin());
    if (row > 0)
        setViewportMargins(0, 0, 0, (contentsRect().height() - 2 * margin) % row + margin);
    // Every opening reads from the top, wherever the last reading left the caret.
    setTextCursor(QTextCursor(document()));
    QPlainTextEdit::showEvent(event);
}

QPalette LightPalette()
{
    const QColor window(239, 239, 239), disabledText(190, 190, 190);
    QPalette light(Qt::black, window, window.lighter(150), window.darker(150), window.darker(130),
                   Qt::black, Qt::white);
    light.setColor(QPalette::Button, window);
    light.setColor(QPalette::Highlight, QColor(48, 140, 198));
    light.setColor(QPalette::HighlightedText, Qt::white);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        light.setColor(QPalette::Disabled, role, disabledText);
    return light;
}

void ScrollTogether(const QList<TMemo *> &memos)
{
    for (TMemo *from : memos)
        for (TMemo *to : memos)
            if (from != to)
                QObject::connect(from->verticalScrollBar(), &QScrollBar::valueChanged,
                                 to->verticalScrollBar(), &QScrollBar::setValue);
}

void TMemo::Clear()
{
    empty = true;
    clear();
}

void TMemo::Append(const QString &line)
{
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    if (!empty)
        end.insertBlock();
    end.insertText(line);
    empty = false;
    // The caret stays before the first line, where a player sees it when the box has the focus.
    setTextCursor(QTextCursor(document()));
}

TClientArea::TClientArea(QWidget *owner)
    : QWidget(owner)
{
    installRoles();
}

void TClientArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}
