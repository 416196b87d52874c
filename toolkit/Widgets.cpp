// The controls the windows are built from: card cells and pictures, status bar, text boxes.
#include "toolkit/Widgets.h"

#include "toolkit/Bitmap.h"

#include <QMouseEvent>
#include <QPixmap>
#include <QTextCursor>

#include <algorithm>

QFont FaceFont(FontFace face, int pixelSize, bool bold, bool italic)
{
    QFont font;
    switch (face) {
    case FontFace::SansSerif:
        font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")});
        font.setStyleHint(QFont::SansSerif);
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
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
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

TImage::TImage(QWidget *owner) : QLabel(owner)
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

void TImage::SetBitmap(const QImage &image) { setPixmap(QPixmap::fromImage(image)); }

void TImage::LoadFromFile(const QString &path) { SetBitmap(ReadBitmap(path)); }

void TImage::setVisible(bool visible)
{
    QLabel::setVisible(visible);
    emit Changed();
}

TPanel::TPanel(QWidget *owner) : QFrame(owner)
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
}

void TPanel::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed = false;
    event->accept();
    if (click)
        emit Click();
}

TStatusBar::TStatusBar(QWidget *owner, const QStringList &texts, const QList<int> &widths)
    : QWidget(owner)
{
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

void TStatusBar::SetPanelText(int index, const QString &text) { panels.at(index)->setText(text); }
QString TStatusBar::PanelText(int index) const { return panels.at(index)->text(); }

void TStatusBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The status bar is not the window's background: its double-clicks end nothing.
    event->accept();
}

TMemo::TMemo(QWidget *owner) : QPlainTextEdit(owner)
{
    setReadOnly(true);
    // Nobody edits these boxes, so refilling them must not pile up undo steps.
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    // A thin inner margin, as the boxes are laid out for a narrower face than Debian has.
    document()->setDocumentMargin(1);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
}

void TClientArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}
