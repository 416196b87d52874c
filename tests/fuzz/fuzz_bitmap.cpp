// Feeds arbitrary bytes to the picture reader: it must read them or refuse them, and what it
// reads is a picture no larger than a card may claim.
#include "toolkit/Bitmap.h"
#include "toolkit/Toolkit.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Qt's reader warns about every odd palette index; those warnings are expected here.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr int LargestSide = 2048;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const QImage image = DecodeBitmap(buffer, QStringLiteral("fuzz.bmp"));
        if (image.isNull() || image.width() > LargestSide || image.height() > LargestSide)
            std::abort();
    } catch (const Exception &) {
        // A refusal is the right answer to a broken file.
    }
    return 0;
}
