#pragma once

#include <QImage>
#include <QString>

#include <map>

namespace korva::skingen {

// How the images are written: PNG (the committed 1x set, and for looking at), or as the pixels the program
// draws (the finer sets it embeds, which unpack far faster than PNG decodes).
enum class SkinFileKind { Png, Pixels };

// The file of image `number` at `scale`: NNN.png at 1, NNN@2x.png at 2 (Qt's naming of finer images), or
// NNN.argb, NNN@2x.argb with the pixels.
QString SkinFileName(int number, int scale, SkinFileKind kind = SkinFileKind::Png);

struct SkinImage {
    QImage image;
    QString what;   // what the image shows
    QString usedBy; // which control shows it, in which state
};

// The numbered skin images with their catalogue entries, drawn at `scale` image pixels per design pixel
// (each image carries it as its device pixel ratio).
class SkinSet {
public:
    explicit SkinSet(int scale = 1) : scale_(scale) {}
    int Scale() const { return scale_; }

    // Adds image `number`; a number may be added only once.
    void Add(int number, const QImage& image, const QString& what, const QString& usedBy);
    const SkinImage* Find(int number) const;
    const QImage& Image(int number) const; // the image must exist
    const std::map<int, SkinImage>& Images() const { return images_; }

    // Writes FileName(number) for every image and removes other files of this scale and kind from `dir`;
    // opaque PNG images are stored without alpha to keep them small.
    bool WritePngs(const QString& dir, QString* error) const { return Write(dir, SkinFileKind::Png, error); }
    bool Write(const QString& dir, SkinFileKind kind, QString* error) const;
    // The catalogue of all images; `programNumbers` are marked as fixed by the program's code.
    QString CatalogueMarkdown(const QList<int>& programNumbers) const;

    QString FileName(int number, SkinFileKind kind = SkinFileKind::Png) const {
        return SkinFileName(number, scale_, kind);
    }

private:
    int scale_;
    std::map<int, SkinImage> images_;
};

// True when no pixel of the image lets anything show through.
bool IsOpaque(const QImage& image);

} // namespace korva::skingen
