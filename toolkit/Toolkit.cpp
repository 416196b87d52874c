// The small layer over Qt that gives each window operation the game uses the effect it relies on.
#include "app/Toolkit.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScopeGuard>
#include <QShowEvent>

#include <chrono>
#include <cstring>
#include <random>

namespace {

constexpr auto ErrorBoxTitle = "Duplora";

// Pictures are small; anything larger is a broken or hostile file, not a card face.
constexpr int MaxBitmapSide = 2048;
constexpr int BitmapAllocationLimitMb = 32;

bool errorBoxOpen = false;
int droppedErrors = 0;

class ClockSeededSource : public RandomSource {
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

quint32 le32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}
quint16 le16(const QByteArray &b, int at) { return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8)); }

[[noreturn]] void refuse(const QString &path, const QString &what)
{
    throw Exception(QStringLiteral("Cannot load the picture \"%1\": %2.").arg(path, what));
}

// What a bitmap's header says about its pixels.
struct BitmapLayout {
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    qint64 rowBytes() const { return ((width * bitsPerPixel + 31) / 32) * 4; }
};
constexpr quint32 Uncompressed = 0;

// Qt's reader accepts truncated files (leaving rows uninitialised) and believes any size a
// header claims, so the header is checked against the file before Qt sees it.
BitmapLayout checkBitmapHeader(const QString &path, const QByteArray &head, qint64 fileSize)
{
    constexpr int FileHeaderSize = 14;
    constexpr int CoreHeaderSize = 12;
    constexpr int InfoHeaderSize = 40;
    if (fileSize == 0)
        refuse(path, QStringLiteral("the file is empty"));
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M')
        refuse(path, QStringLiteral("the file is not a Windows bitmap"));
    if (head.size() < FileHeaderSize + CoreHeaderSize)
        refuse(path, QStringLiteral("the file is truncated"));
    const quint32 dataOffset = le32(head, 10);
    const quint32 dibSize = le32(head, 14);
    qint64 width = 0, height = 0;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    if (dibSize == CoreHeaderSize) {
        width = qint16(le16(head, 18));
        height = qint16(le16(head, 20));
        bitsPerPixel = le16(head, 24);
    } else if (dibSize >= InfoHeaderSize && dibSize <= 124) {
        if (head.size() < FileHeaderSize + InfoHeaderSize)
            refuse(path, QStringLiteral("the file is truncated"));
        width = qint32(le32(head, 18));
        height = qint32(le32(head, 22));
        bitsPerPixel = le16(head, 28);
        compression = le32(head, 30);
    } else {
        refuse(path, QStringLiteral("the bitmap header is of an unknown kind"));
    }
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (width < 1 || height < 1)
        refuse(path, QStringLiteral("the bitmap has no pixels"));
    if (width > MaxBitmapSide || height > MaxBitmapSide)
        refuse(path, QStringLiteral("the bitmap claims %1 × %2 pixels, more than the %3 × %3 a card can use")
                         .arg(width).arg(height).arg(MaxBitmapSide));
    switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: refuse(path, QStringLiteral("the bitmap has an unknown colour depth"));
    }
    const BitmapLayout layout{qint64(dataOffset), width, height, topDown, bitsPerPixel, compression};
    constexpr quint32 BitFields = 3, AlphaBitFields = 6;
    qint64 needed = layout.dataOffset;
    if (compression == Uncompressed || compression == BitFields || compression == AlphaBitFields)
        needed += layout.rowBytes() * height;
    if (fileSize < needed)
        refuse(path, QStringLiteral("the file is truncated (%1 of %2 bytes)").arg(fileSize).arg(needed));
    return layout;
}

// The cards' own kind of bitmap, 24 bits a pixel and uncompressed, is copied row by row: Qt's
// general reader takes a tenth of a millisecond for each, and a deal reads 36 of them.
QImage readTrueColour(const QString &path, QFile &file, const BitmapLayout &layout)
{
    const qint64 rowBytes = layout.rowBytes();
    if (!file.seek(layout.dataOffset))
        refuse(path, QStringLiteral("the file is truncated"));
    const QByteArray rows = file.read(rowBytes * layout.height);
    if (rows.size() != rowBytes * layout.height)
        refuse(path, QStringLiteral("the file is truncated"));
    QImage image(int(layout.width), int(layout.height), QImage::Format_RGB32);
    if (image.isNull())
        refuse(path, QStringLiteral("there is not enough memory for its %1 × %2 pixels").arg(layout.width).arg(layout.height));
    const int width = int(layout.width);
    const int height = int(layout.height);
    for (int y = 0; y < height; ++y) {
        const qint64 sourceRow = layout.topDown ? y : height - 1 - y;
        const auto *in = reinterpret_cast<const uchar *>(rows.constData() + sourceRow * rowBytes);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace

namespace TestHooks {
std::function<void(TForm &)> Modal;
std::function<void(const QString &)> ErrorBox;
bool ManualTimers = false;
void SetRandomSource(std::unique_ptr<RandomSource> source)
{
    randomSource() = source ? std::move(source) : std::make_unique<ClockSeededSource>();
}
void Reset()
{
    Modal = nullptr;
    ErrorBox = nullptr;
    ManualTimers = false;
    SetRandomSource(nullptr);
    droppedErrors = 0;
}
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    // An exception leaving a handler inside exec() would terminate the program: this is the
    // one place it is caught, shown, and the loop goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowException(error);
    } catch (...) {
        ShowException(std::runtime_error("An unknown error occurred."));
    }
    return false;
}

void ShowException(const std::exception &error)
{
    const auto *own = dynamic_cast<const Exception *>(&error);
    const QString message = own ? own->Message : QString::fromLocal8Bit(error.what());
    if (errorBoxOpen) {
        ++droppedErrors;
        return;
    }
    errorBoxOpen = true;
    const auto closed = qScopeGuard([] { errorBoxOpen = false; });
    if (TestHooks::ErrorBox) {
        TestHooks::ErrorBox(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ErrorBoxTitle), message, QMessageBox::Ok);
    box.exec();
}

int DroppedErrorCount() { return droppedErrors; }

TForm::TForm(QWidget *owner) : QDialog(owner) {}

int TForm::ShowModal()
{
    // exec() on a window already in exec() only prints a warning and returns; never try.
    if (inModal)
        return -1;
    inModal = true;
    const auto done = qScopeGuard([this] { inModal = false; });
    if (TestHooks::Modal) {
        show();
        TestHooks::Modal(*this);
        if (isVisible())
            hide();
        return result();
    }
    return exec();
}

void TForm::Close() { reject(); }

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
    QDialog::keyPressEvent(event);
}

TTimer::TTimer(QObject *owner, int intervalMs) : QObject(owner)
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

QImage ReadBitmap(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        refuse(path, QStringLiteral("the file is missing"));
    if (info.isDir())
        refuse(path, QStringLiteral("it is a folder, not a file"));
    QFile file(path);
    // Unbuffered: the file is read in two large pieces, header and rows.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        refuse(path, QStringLiteral("the file cannot be opened (%1)").arg(file.errorString()));
    constexpr int HeadBytes = 54;
    const BitmapLayout layout = checkBitmapHeader(path, file.read(HeadBytes), file.size());
    if (layout.bitsPerPixel == 24 && layout.compression == Uncompressed)
        return readTrueColour(path, file, layout);
    file.seek(0);
    QImageReader reader(&file, "bmp");
    reader.setAllocationLimit(BitmapAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull())
        refuse(path, QStringLiteral("the file is not a readable bitmap (%1)").arg(reader.errorString()));
    return image;
}

QString IntToStr(int value) { return QString::number(value); }

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
    randomSource()->Seed(quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

double RandG(double mean, double stdDev) { return randomSource()->Gauss(mean, stdDev); }
