#include "ReadReport.h"

namespace korva {

QString ReadError::Message() const {
    QString where;
    if (!File.isEmpty()) {
        where = QStringLiteral("文件 %1 ").arg(File);
    }
    if (Line > 0) {
        where += QStringLiteral("第 %1 行").arg(Line);
    }
    where = where.trimmed();
    return where.isEmpty() ? Reason : where + QStringLiteral("：") + Reason;
}

} // namespace korva
