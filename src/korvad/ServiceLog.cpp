#include "korvad/ServiceLog.h"

#include <QByteArray>
#include <cstdio>

namespace korva::korvad {

void Log(LogLevel level, const QString& text) {
    // systemd sets JOURNAL_STREAM when standard error is connected to the journal.
    static const bool journal = qEnvironmentVariableIsSet("JOURNAL_STREAM");
    QByteArray line;
    if (journal) {
        line = '<' + QByteArray::number(int(level)) + '>';
    } else {
        line = "korvad: ";
    }
    line += text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace korva::korvad
