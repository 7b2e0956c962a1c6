#pragma once
// The progress bar on standard error, drawn only when standard error is a terminal (never into a pipe or
// a log file) and redrawn in place: the blocks transferred so far out of all the command's blocks on every
// processor, and, while an answer is overdue, how long the link waits at most before it gives up.

#include <QString>
#include <optional>

namespace korva::ctl {

class Console;

class ProgressBar {
public:
    explicit ProgressBar(Console& console);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool Enabled() const { return enabled_; }
    // giveUpInMs: an answer is overdue, and the link gives up on it at the latest after this time.
    void Show(int done, int total, std::optional<int> giveUpInMs = std::nullopt);
    // Removes the bar so that the next line starts on a clean row.
    void Clear();

    // "[#####-----] 已传送 41/246 块，等待应答，最迟 7 秒后超时"
    static QString Text(int done, int total, std::optional<int> giveUpInMs);

private:
    Console& console_;
    bool enabled_ = false;
    bool shown_ = false;
    QString lastText_;
};

} // namespace korva::ctl
