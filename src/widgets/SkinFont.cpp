#include "widgets/SkinFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace korva {

namespace {

QString ChooseFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* candidate : {"宋体", "SimSun", "NSimSun", "Noto Serif CJK SC", "Noto Sans CJK SC",
                                  "Source Han Serif SC", "WenQuanYi Zen Hei"}) {
        const QString family = QString::fromUtf8(candidate);
        if (installed.contains(family, Qt::CaseInsensitive)) {
            return family;
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

QString SkinFontFamily() {
    static const QString family = ChooseFamily();
    return family;
}

} // namespace korva
