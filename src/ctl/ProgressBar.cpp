#include "ctl/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace korva::ctl {

namespace {
constexpr int kWidth = 30;
}

ProgressBar::ProgressBar() : enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    Clear();
}

void ProgressBar::Show(int done, int total) {
    if (!enabled_ || total <= 0 || (done == lastDone_ && total == lastTotal_)) {
        return;
    }
    lastDone_ = done;
    lastTotal_ = total;
    done = std::clamp(done, 0, total);
    const int filled = done * kWidth / total;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('-'));
    const QByteArray line = QStringLiteral("\r[%1] %2/%3").arg(bar).arg(done).arg(total).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressBar::Clear() {
    if (shown_) {
        // Carriage return, erase to the end of the line.
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        shown_ = false;
        lastDone_ = lastTotal_ = -1;
    }
}

} // namespace korva::ctl
