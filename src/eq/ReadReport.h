#pragma once
// What the readers of users' files (filter text, measurements) report besides their data: the lines they
// skipped, which a front end shows, and, when a file cannot be read whole, the one reason why. A reader
// that fails returns nothing at all, so nothing of a bad file is ever applied.

#include <QString>
#include <vector>

namespace korva {

// A line the reader skipped and why ("OFF 滤波器，已跳过"). Lines are counted from 1.
struct ReadWarning {
    int Line = 0;
    QString Reason;
    friend bool operator==(const ReadWarning&, const ReadWarning&) = default;
};

struct ReadError {
    QString File;   // the file's name as the user gave it; empty for text that came from elsewhere
    int Line = 0;   // 1-based; 0 when the reason concerns the whole file
    QString Reason; // Simplified Chinese, without file and line

    // "文件 room.txt 第 12 行：无法识别的频率“1x”" — file and line only when known.
    QString Message() const;
};

} // namespace korva
