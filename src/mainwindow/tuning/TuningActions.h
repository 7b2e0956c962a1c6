#pragma once
// The EQ graph's tuning menu: 导入测量… loads a measurement (and, if the user wants one, a target) into
// memory; 自动均衡 fits the current channel to it and 导入滤波器… fits it to a filter file, both as a
// preview that ApplyPreview (Enter) sets on the processor as one undo step and CancelPreview (Esc) drops;
// 导出滤波器… saves the current channel as REW or Equalizer APO filter text.
//
// A file that cannot be read whole changes nothing and gives one message naming the file, the line and
// the reason; lines a reader skipped are listed in one message after the file was read.

#include <QString>
#include <optional>
#include <vector>

namespace korva {

class MessageService;
class Processor;
class TuningFileDialogs;
struct ReadWarning;
struct TuningState;
struct FitResult;

extern const QString kNoMeasurementMessage;  // "请先导入测量"
extern const QString kAskTargetMessage;      // whether to load a target curve
extern const QString kExportFailedFiltersMessage; // "保存滤波器文件失败！"

class TuningActions {
public:
    // All references must outlive the actions. origin: the tag the processor hands back with the
    // changes a preview applies.
    TuningActions(Processor& processor, TuningState& state, TuningFileDialogs& dialogs, MessageService& messages,
                  int origin);

    // 导入测量…: true when a measurement was loaded (it replaces the one before, and any preview goes).
    bool ImportMeasurement();
    // 导入滤波器…: true when a preview of the current channel following the file's filters is shown.
    bool ImportFilters();
    // 自动均衡: true when a preview of the current channel fitted to the measurement is shown.
    bool AutoEqualise();
    // 导出滤波器…: true when the file was written.
    bool ExportFilters();

    // Enter: the preview's settings go to the processor (one undo step, one write per changed point).
    // False when there was no preview or the processor refused it (the user has been told).
    bool ApplyPreview();
    // Esc: the preview is dropped; nothing else changes. False when there was none.
    bool CancelPreview();
    // A preview of another group or channel than the one on screen is dropped.
    void DropStalePreview();

private:
    // The fit as the preview (withDesired: with the curve it followed), or why there is none.
    bool ShowPreview(const std::optional<FitResult>& fit, const QString& why, bool withDesired);
    void ShowWarnings(const QString& fileName, const std::vector<ReadWarning>& warnings);

    Processor& processor_;
    TuningState& state_;
    TuningFileDialogs& dialogs_;
    MessageService& messages_;
    int origin_;
};

} // namespace korva
