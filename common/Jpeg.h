#pragma once
// JPEG pictures (splash and login backgrounds), decoded with libjpeg.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace kx {

// Decodes a JPEG stream; grayscale pictures give Format_Grayscale8, colour ones Format_RGB888.
// Data that is not a readable JPEG gives a null image.
QImage decodeJpeg(const QByteArray& data);
// Reads and decodes a JPEG file (also a ":/" resource); a null image when it cannot.
QImage loadJpeg(const QString& path);

} // namespace kx
