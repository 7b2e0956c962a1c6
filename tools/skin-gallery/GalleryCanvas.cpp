#include "GalleryCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace korva::gallery {

void GalleryCanvas::Section(const QString& title) {
    if (x_ > kMargin) {
        y_ += rowHeight_ + kMargin;
    }
    headings_.push_back({title, y_});
    x_ = kMargin;
    y_ += kHeadingHeight;
    rowHeight_ = 0;
}

void GalleryCanvas::Add(QWidget& control, const QString& caption) {
    QImage picture(control.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    control.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);

    const int captionWidth = QFontMetrics(QFont()).horizontalAdvance(caption);
    const int cellWidth = std::max(picture.width(), captionWidth);
    if (x_ > kMargin && x_ + cellWidth > width_ - kMargin) {
        x_ = kMargin;
        y_ += rowHeight_ + kMargin;
        rowHeight_ = 0;
    }
    cells_.push_back({picture, caption, x_, y_});
    x_ += cellWidth + kMargin;
    rowHeight_ = std::max(rowHeight_, picture.height() + kCaptionHeight);
}

QImage GalleryCanvas::Finish() const {
    const int height = y_ + rowHeight_ + kMargin;
    QImage sheet(width_, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(48, 48, 52));
    QPainter painter(&sheet);
    painter.setPen(QColor(235, 235, 235));
    for (const Heading& heading : headings_) {
        QFont bold;
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(QPoint(kMargin, heading.y + 16), heading.title);
    }
    painter.setFont(QFont());
    for (const Cell& cell : cells_) {
        // The outline shows where a control is even when the skin has no picture for it yet.
        painter.setPen(QColor(90, 90, 100));
        painter.drawRect(QRect(cell.x - 1, cell.y - 1, cell.picture.width() + 1, cell.picture.height() + 1));
        painter.drawImage(cell.x, cell.y, cell.picture);
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(QPoint(cell.x, cell.y + cell.picture.height() + kCaptionHeight - 3), cell.caption);
    }
    return sheet;
}

} // namespace korva::gallery
