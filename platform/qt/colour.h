// The one crossing between our colour values (0x00BBGGRR, red in the low byte) and Qt's
// (QRgb 0xAARRGGBB, QColor). Every Qt-facing file converts through these and nothing else.
#pragma once

#include <cstdint>

#include <QColor>
#include <QRgb>

// An opaque Qt pixel of colour value colour (its top byte is ignored).
inline QRgb Colour_ToQRgb(uint32_t colour) {
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline QColor Colour_ToQColor(uint32_t colour) {
    return QColor::fromRgb(Colour_ToQRgb(colour));
}

// The colour value of a Qt pixel; its alpha is dropped.
inline uint32_t Colour_FromQRgb(QRgb rgb) {
    return uint32_t(qRed(rgb)) | (uint32_t(qGreen(rgb)) << 8) | (uint32_t(qBlue(rgb)) << 16);
}
