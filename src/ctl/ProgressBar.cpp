#include "ctl/ProgressBar.h"

#include "ctl/Console.h"

#include <algorithm>
#include <unistd.h>

namespace korva::ctl {

namespace {
constexpr int kWidth = 30;
}

ProgressBar::ProgressBar(Console& console) : console_(console), enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    Clear();
}

QString ProgressBar::Text(int done, int total, std::optional<int> giveUpInMs) {
    done = std::clamp(done, 0, total);
    const int filled = total > 0 ? done * kWidth / total : 0;
    QString text = QStringLiteral("[%1%2] 已传送 %3/%4 块")
                       .arg(QString(filled, QLatin1Char('#')), QString(kWidth - filled, QLatin1Char('-')))
                       .arg(done)
                       .arg(total);
    if (giveUpInMs) {
        text += QStringLiteral("，等待应答");
        if (*giveUpInMs > 0) {
            text += QStringLiteral("，最迟 %1 秒后超时").arg((*giveUpInMs + 999) / 1000);
        }
    }
    return text;
}

void ProgressBar::Show(int done, int total, std::optional<int> giveUpInMs) {
    if (!enabled_ || total <= 0) {
        return;
    }
    const QString text = Text(done, total, giveUpInMs);
    if (text == lastText_) {
        return;
    }
    // Back to the line's start, the text, then erase what a longer text before left.
    console_.Err(QLatin1Char('\r') + text + QStringLiteral("\x1b[K"));
    lastText_ = text;
    shown_ = true;
}

void ProgressBar::Clear() {
    if (shown_) {
        console_.Err(QStringLiteral("\r\x1b[K"));
        shown_ = false;
        lastText_.clear();
    }
}

} // namespace korva::ctl
