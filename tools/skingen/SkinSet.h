#pragma once

#include <QImage>
#include <QString>

#include <map>

namespace korva::skingen {

struct SkinImage {
    QImage image;
    QString what;   // what the image shows
    QString usedBy; // which control shows it, in which state
};

// The numbered skin images with their catalogue entries.
class SkinSet {
public:
    // Adds image `number`; a number may be added only once.
    void Add(int number, const QImage& image, const QString& what, const QString& usedBy);
    const SkinImage* Find(int number) const;
    const QImage& Image(int number) const; // the image must exist
    const std::map<int, SkinImage>& Images() const { return images_; }

    // Writes NNN.png for every image and removes other NNN.png files from `dir`; opaque images are
    // stored without alpha to keep them small.
    bool WritePngs(const QString& dir, QString* error) const;
    // The catalogue of all images; `programNumbers` are marked as fixed by the program's code.
    QString CatalogueMarkdown(const QList<int>& programNumbers) const;

private:
    std::map<int, SkinImage> images_;
};

// True when no pixel of the image lets anything show through.
bool IsOpaque(const QImage& image);

} // namespace korva::skingen
