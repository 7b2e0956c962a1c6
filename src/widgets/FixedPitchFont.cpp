#include "widgets/FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace korva {

QFont FixedPitchFont() {
    return FixedPitchFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QFont FixedPitchFont(const QFont& offered) {
    if (QFontInfo(offered).fixedPitch()) {
        return offered;
    }
    // fontconfig's alias first (the system's preferred face), then faces common on Linux and Windows, for
    // a font system that knows no alias or answers it with a CJK face.
    for (const char* family :
         {"monospace", "DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Noto Mono", "Courier New"}) {
        QFont font = offered;
        font.setFamily(QString::fromLatin1(family));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        if (QFontInfo(font).fixedPitch()) {
            return font;
        }
    }
    return offered;
}

} // namespace korva
