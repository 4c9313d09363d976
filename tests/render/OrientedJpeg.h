#pragma once
// A JPEG file that carries an orientation tag, the way cameras write one:
// the pixels stored as given, with an Exif segment that asks viewers to turn
// them. Orientation 6 means "turn 90 degrees clockwise to show".

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>

inline QByteArray JpegWithOrientation(const QImage& image, quint16 orientation)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 100))
        return {};
    // A little-endian TIFF header and one directory with the one entry.
    QByteArray tiff("II*\0", 4);
    auto put16 = [&tiff](quint16 v) { char b[2]; qToLittleEndian(v, b); tiff.append(b, 2); };
    auto put32 = [&tiff](quint32 v) { char b[4]; qToLittleEndian(v, b); tiff.append(b, 4); };
    put32(8);        // the directory follows the header
    put16(1);        // one entry
    put16(0x0112);   // orientation
    put16(3);        // of type SHORT
    put32(1);        // one value
    put16(orientation);
    put16(0);        // padding of the value field
    put32(0);        // no further directory
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xff\xe1", 2);
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(payload);
    // Right after the start-of-image marker.
    return jpeg.left(2) + segment + jpeg.mid(2);
}
