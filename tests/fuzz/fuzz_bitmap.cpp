// Feeds arbitrary bytes to the picture reader: it reads them or refuses them, nothing else, and
// what it reads is no larger than a card may claim.
#include "toolkit/Bitmap.h"
#include "toolkit/Toolkit.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes
            = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const QImage image = DecodeBitmap(buffer, QStringLiteral("fuzz.bmp"));
        if (image.isNull() || image.width() > 2048 || image.height() > 2048)
            std::abort();
    } catch (const Exception &) { }
    return 0;
}
