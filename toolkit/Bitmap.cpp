// The picture reader: Windows bitmaps, checked against their real size before a pixel is read.
#include "toolkit/Bitmap.h"

#include "toolkit/Toolkit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

// Pictures are small; anything larger is a broken or hostile file, not a card face.
constexpr int MaxBitmapSide = 2048;
constexpr int BitmapAllocationLimitMb = 32;

constexpr int FileHeaderSize = 14;
constexpr int CoreHeaderSize = 12;
constexpr int InfoHeaderSize = 40;
constexpr int LargestHeaderSize = 124;
constexpr int HeadBytes = FileHeaderSize + InfoHeaderSize;

constexpr quint32 Uncompressed = 0;
constexpr quint32 BitFields = 3;
constexpr quint32 AlphaBitFields = 6;

quint32 le32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}
quint16 le16(const QByteArray &b, int at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

[[noreturn]] void refuse(const QString &path, const QString &what)
{
    throw Exception(QStringLiteral("Cannot load the picture \"%1\": %2.")
                            .arg(QDir::toNativeSeparators(path), what));
}

// What a bitmap's header says about its pixels.
struct BitmapLayout
{
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    qint64 rowBytes() const { return ((width * bitsPerPixel + 31) / 32) * 4; }
};

// Qt's reader accepts truncated files (leaving rows uninitialised) and believes any size a
// header claims, so the header is checked against the file before Qt sees it.
BitmapLayout checkBitmapHeader(const QString &path, const QByteArray &head, qint64 fileSize)
{
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
    } else if (dibSize >= InfoHeaderSize && dibSize <= LargestHeaderSize) {
        if (head.size() < HeadBytes)
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
        refuse(path,
               QStringLiteral(
                       "the bitmap claims %1 × %2 pixels, more than the %3 × %3 a card can use")
                       .arg(width)
                       .arg(height)
                       .arg(MaxBitmapSide));
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        refuse(path, QStringLiteral("the bitmap has an unknown colour depth"));
    }
    const BitmapLayout layout{qint64(dataOffset), width,      height, topDown,
                              bitsPerPixel,       compression};
    qint64 needed = layout.dataOffset;
    if (compression == Uncompressed || compression == BitFields || compression == AlphaBitFields)
        needed += layout.rowBytes() * height;
    if (fileSize < needed)
        refuse(path,
               QStringLiteral("the file is truncated (%1 of %2 bytes)").arg(fileSize).arg(needed));
    return layout;
}

// The cards' own kind of bitmap, 24 bits a pixel and uncompressed, is copied row by row: Qt's
// general reader takes a tenth of a millisecond for each, and a deal reads 36 of them.
QImage readTrueColour(const QString &path, QIODevice &device, const BitmapLayout &layout)
{
    const qint64 rowBytes = layout.rowBytes();
    if (!device.seek(layout.dataOffset))
        refuse(path, QStringLiteral("the file is truncated"));
    const QByteArray rows = device.read(rowBytes * layout.height);
    if (rows.size() != rowBytes * layout.height)
        refuse(path, QStringLiteral("the file is truncated"));
    QImage image(int(layout.width), int(layout.height), QImage::Format_RGB32);
    if (image.isNull())
        refuse(path,
               QStringLiteral("there is not enough memory for its %1 × %2 pixels")
                       .arg(layout.width)
                       .arg(layout.height));
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

QImage DecodeBitmap(QIODevice &device, const QString &name)
{
    const BitmapLayout layout = checkBitmapHeader(name, device.read(HeadBytes), device.size());
    if (layout.bitsPerPixel == 24 && layout.compression == Uncompressed)
        return readTrueColour(name, device, layout);
    device.seek(0);
    QImageReader reader(&device, "bmp");
    reader.setAllocationLimit(BitmapAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull())
        refuse(name,
               QStringLiteral("the file is not a readable bitmap (%1)").arg(reader.errorString()));
    return image;
}

QImage ReadBitmap(const QString &path)
{
    const QFileInfo info(path);
    // A player who started the game elsewhere learns where it looked and where to start it.
    if (!info.exists())
        refuse(path,
               QStringLiteral(
                       "the file is missing from %1. The game starts from the folder that holds %2")
                       .arg(QDir::toNativeSeparators(info.absolutePath()),
                            QDir::toNativeSeparators(QStringLiteral("Images/"))));
    if (info.isDir())
        refuse(path, QStringLiteral("it is a folder, not a file"));
    QFile file(path);
    // Unbuffered: the file is read in two large pieces, header and rows.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        refuse(path, QStringLiteral("the file cannot be opened (%1)").arg(file.errorString()));
    return DecodeBitmap(file, path);
}
