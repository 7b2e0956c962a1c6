#include "Beds.h"

#include "SkinStyle.h"

#include <QPainter>

namespace korva::skingen {

QImage Beds::Under(const QString& control, QSize size) const {
    const DesignControl& target = Control(design_, control);
    const QRect where = PixelRect(target);
    QImage surface;
    if (target.Parent.isEmpty()) {
        surface = style::NewImage(skin_.Image(design_.BackPic));
    } else {
        surface = style::NewImage(PixelRect(design_, target.Parent).size(), skin_.Scale());
    }
    QPainter p(&surface);
    for (const DesignControl& c : design_.Controls) {
        if (&c == &target) {
            break;
        }
        if (c.Parent != target.Parent || c.Type != DesignType::SimpControl || !c.Visible) {
            continue;
        }
        const QList<int> pics = c.IntListProperty(QStringLiteral("Pics"));
        const QRect r = PixelRect(c);
        if (!pics.isEmpty() && r.contains(where) && skin_.Find(pics.first()) != nullptr) {
            p.drawImage(r.topLeft(), skin_.Image(pics.first()));
        }
    }
    p.end();
    return style::CopyPart(surface, QRect(where.topLeft(), size));
}

} // namespace korva::skingen
