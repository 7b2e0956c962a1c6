#pragma once
// A stand-in skin that draws every image as a solid block of a colour derived from its number, and can
// record what was drawn. Used by tests and benchmarks, and wherever the real skin is not at hand.

#include "GraphSkin.h"

#include <QHash>
#include <vector>

namespace korva {

class BlockSkin : public GraphSkin {
public:
    // What one draw call asked for.
    struct DrawCall {
        int ImageNumber = 0; // 0 for text
        QString Text;
        QRectF Target; // the image rectangle, or the text's top-left corner with an empty size
        QRgb Colour = 0;
    };

    // Images of the graph at the sizes of the design: the background at 1547 x 382, markers 20 x 20, the
    // bypass overlay at 300 x 60; any other number a skin may use at 20 x 20.
    BlockSkin();

    void SetImageSize(int number, QSize size) { sizes_[number] = size; }
    // The opaque colour image `number` is filled with.
    static QRgb BlockColour(int number);

    QSize ImageSize(int number) const override;
    void DrawImage(QPainter& painter, int number, const QRectF& target) override;
    void DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft) override;

    // Recording is off by default so that benchmarks do not pay for it.
    void SetRecording(bool on) { recording_ = on; }
    const std::vector<DrawCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

private:
    QHash<int, QSize> sizes_;
    bool recording_ = false;
    std::vector<DrawCall> calls_;
};

} // namespace korva
