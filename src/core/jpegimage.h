#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a JPEG (baseline or progressive, colour or greyscale) into an RGB888 image.
// Any damage — a truncated stream, corrupt data, an unsupported colour space, a picture
// too large to hold — gives a null image; the library never prints or aborts.
QImage decodeJpeg(const QByteArray &data);

// Reads a file or Qt resource (":/name") and decodes it; a null image when either fails.
QImage loadJpeg(const QString &path);
