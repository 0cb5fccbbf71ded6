#pragma once

#include <QByteArrayView>
#include <QImage>

// Decodes a JPEG held in memory into an RGB picture. Anything that is not a
// clean, complete JPEG (a damaged header, a truncated or corrupt scan, a
// picture of absurd size) gives a null image; it never aborts the program.
QImage decodeJpeg(QByteArrayView data);
