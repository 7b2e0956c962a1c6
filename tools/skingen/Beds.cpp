#include "Beds.h"

#include "SkinStyle.h"

#include <QPainter>

namespace korva::skingen {

QImage Beds::Under(const QString& control, QSize size) const {
    const DesignControl& target = design_.Get(control);
    const QRect where = target.RectPx().toRect();
    QImage surface;
    if (target.parent.isEmpty()) {
        surface = style::NewImage(skin_.Image(design_.BackPic()));
    } else {
        surface = style::NewImage(design_.RectPx(target.parent).size().toSize(), skin_.Scale());
    }
    QPainter p(&surface);
    for (const DesignControl& c : design_.Controls()) {
        if (&c == &target) {
            break;
        }
        if (c.parent != target.parent || c.type != QLatin1String("SimpControl") || !c.visible) {
            continue;
        }
        const QList<int> pics = c.IntListProp(QStringLiteral("Pics"));
        const QRect r = c.RectPx().toRect();
        if (!pics.isEmpty() && r.contains(where) && skin_.Find(pics.first()) != nullptr) {
            p.drawImage(r.topLeft(), skin_.Image(pics.first()));
        }
    }
    p.end();
    return style::CopyPart(surface, QRect(where.topLeft(), size));
}

} // namespace korva::skingen
