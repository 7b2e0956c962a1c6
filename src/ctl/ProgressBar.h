#pragma once
// The progress bar on standard error, drawn only when standard error is a terminal (never into a pipe or
// a log file) and redrawn in place.

#include <QString>

namespace korva::ctl {

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool Enabled() const { return enabled_; }
    void Show(int done, int total);
    // Removes the bar so that the next line starts on a clean row.
    void Clear();

private:
    bool enabled_ = false;
    bool shown_ = false;
    int lastDone_ = -1;
    int lastTotal_ = -1;
};

} // namespace korva::ctl
