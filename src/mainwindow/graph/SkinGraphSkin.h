#pragma once
// The EQ graph's pictures and labels, taken from the program's skin table.

#include "eq/GraphSkin.h"

namespace korva {

class SkinImages;

class SkinGraphSkin : public GraphSkin {
public:
    explicit SkinGraphSkin(const SkinImages& skin) : skin_(skin) {}

    QSize ImageSize(int number) const override;
    void DrawImage(QPainter& painter, int number, const QRectF& target) override;
    void DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft) override;

private:
    const SkinImages& skin_;
};

} // namespace korva
