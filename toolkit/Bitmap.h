// The picture reader: Windows bitmaps, checked against their real size before a pixel is read.
#pragma once

#include <QImage>

class QIODevice;
class QString;

// Reads a picture file, refusing anything that is not a sound Windows bitmap with a message
// that names the file and says what is wrong with it.
QImage ReadBitmap(const QString &path);

// The same for bytes already open from their start; a refusal calls them `name`.
QImage DecodeBitmap(QIODevice &device, const QString &name);
