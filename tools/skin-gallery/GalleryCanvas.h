#pragma once
// A sheet on which controls are rendered left to right in captioned cells, wrapping into rows, with a
// heading per section.

#include <QImage>
#include <QString>
#include <vector>

class QWidget;

namespace korva::gallery {

class GalleryCanvas {
public:
    explicit GalleryCanvas(int width) : width_(width) {}

    void Section(const QString& title);
    // Renders the control as it is now, with the caption under it.
    void Add(QWidget& control, const QString& caption);
    QImage Finish() const;

private:
    struct Cell {
        QImage picture;
        QString caption;
        int x;
        int y;
    };
    struct Heading {
        QString title;
        int y;
    };

    int width_;
    int x_ = kMargin;
    int y_ = kMargin;
    int rowHeight_ = 0;
    std::vector<Cell> cells_;
    std::vector<Heading> headings_;

    static constexpr int kMargin = 12;
    static constexpr int kCaptionHeight = 16;
    static constexpr int kHeadingHeight = 26;
};

} // namespace korva::gallery
