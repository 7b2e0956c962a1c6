#pragma once
// The file format of the finer skin sets (NNN@2x.argb): a picture's pixels exactly as they are drawn,
// premultiplied ARGB32 (or RGB32 when opaque), after a 16-byte header. The program embeds these files
// compressed with zstd, which unpacks several times faster than PNG decodes: on a display at 200 % the
// pictures are four times as large, and decoding them as PNG would double the start-up.
//
// Header-only: written by the skin generator, read by the skin table.

#include <QByteArray>
#include <QImage>
#include <QtEndian>
#include <cstring>

namespace korva::skinfile {

inline constexpr char kMagic[4] = {'K', 'S', 'P', '1'};
inline constexpr int kHeaderBytes = 16; // magic, width, height, QImage::Format, each 32 bits little-endian

// The picture in the file format; its device pixel ratio is not stored (the file name says it).
inline QByteArray Encode(const QImage& picture) {
    const QImage image = picture.convertToFormat(
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    QByteArray data(kHeaderBytes, '\0');
    std::memcpy(data.data(), kMagic, sizeof kMagic);
    qToLittleEndian<quint32>(quint32(image.width()), data.data() + 4);
    qToLittleEndian<quint32>(quint32(image.height()), data.data() + 8);
    qToLittleEndian<quint32>(quint32(image.format()), data.data() + 12);
    for (int y = 0; y < image.height(); ++y) {
        data.append(reinterpret_cast<const char*>(image.constScanLine(y)), qsizetype(image.width()) * 4);
    }
    return data;
}

// The picture in `data`, sharing its memory (no copy); a null image when `data` is not such a file.
inline QImage Decode(QByteArray data) {
    if (data.size() < kHeaderBytes || std::memcmp(data.constData(), kMagic, sizeof kMagic) != 0) {
        return {};
    }
    const quint32 width = qFromLittleEndian<quint32>(data.constData() + 4);
    const quint32 height = qFromLittleEndian<quint32>(data.constData() + 8);
    const quint32 format = qFromLittleEndian<quint32>(data.constData() + 12);
    if ((format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32) || width == 0 ||
        height == 0 || width > 16384 || height > 16384 ||
        data.size() != kHeaderBytes + qsizetype(width) * qsizetype(height) * 4) {
        return {};
    }
    // The image keeps the bytes alive for as long as it (or a shallow copy of it) exists.
    auto* owner = new QByteArray(std::move(data));
    return QImage(
        reinterpret_cast<const uchar*>(owner->constData()) + kHeaderBytes, int(width), int(height),
        qsizetype(width) * 4, QImage::Format(format),
        [](void* bytes) { delete static_cast<QByteArray*>(bytes); }, owner);
}

} // namespace korva::skinfile
