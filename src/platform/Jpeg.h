// JPEG decoding through libjpeg, called directly.
#pragma once

#include <QByteArray>
#include <QImage>

// The decoded picture, or a null image when the data are not a JPEG it can read.
QImage DecodificarJpeg(const QByteArray& datos);
