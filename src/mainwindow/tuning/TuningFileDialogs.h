#pragma once
// The file dialogs of tuning from a measurement: open a measurement, its target or a filter file, save the
// channel's filters as REW or Equalizer APO text. The actions ask through the TuningFileDialogs interface
// so that tests can answer without a dialog on screen.

#include "eq/FilterExport.h"

#include <QString>

class QWidget;

namespace korva {

extern const QString kMeasurementOpenTitle; // "导入测量"
extern const QString kTargetOpenTitle;      // "导入目标曲线"
extern const QString kFiltersOpenTitle;     // "导入滤波器"
extern const QString kFiltersSaveTitle;     // "导出滤波器"

class TuningFileDialogs {
public:
    virtual ~TuningFileDialogs() = default;
    // The chosen path, or the empty text when the user cancelled.
    virtual QString ChooseMeasurementFile() = 0;
    virtual QString ChooseTargetFile() = 0;
    virtual QString ChooseFilterFileToOpen() = 0;
    // format: the file type the user chose, which says how the filters are written.
    virtual QString ChooseFilterFileToSave(FilterTextFormat& format) = 0;
};

// The standard dialogs, modal over the owner, starting where the preset dialogs start.
class QtTuningFileDialogs : public TuningFileDialogs {
public:
    // programFolder empty: the folder of the running executable.
    explicit QtTuningFileDialogs(QWidget* owner, const QString& programFolder = QString());
    QString ChooseMeasurementFile() override;
    QString ChooseTargetFile() override;
    QString ChooseFilterFileToOpen() override;
    QString ChooseFilterFileToSave(FilterTextFormat& format) override;

private:
    QString Open(const QString& title, const QString& nameFilters);

    QWidget* owner_;
    QString programFolder_;
};

} // namespace korva
