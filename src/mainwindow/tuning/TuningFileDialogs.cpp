#include "mainwindow/tuning/TuningFileDialogs.h"

#include "mainwindow/presets/PresetFileDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace korva {

const QString kMeasurementOpenTitle = QStringLiteral("导入测量");
const QString kTargetOpenTitle = QStringLiteral("导入目标曲线");
const QString kFiltersOpenTitle = QStringLiteral("导入滤波器");
const QString kFiltersSaveTitle = QStringLiteral("导出滤波器");

namespace {

const QString kCurveFilters = QStringLiteral("测量数据 (*.txt *.csv *.frd);;所有文件 (*)");
const QString kFilterTextFilters = QStringLiteral("滤波器文本 (*.txt);;所有文件 (*)");
const QString kRewFilter = QStringLiteral("REW 滤波器设置 (*.txt)");
const QString kApoFilter = QStringLiteral("Equalizer APO 配置 (*.txt)");

std::unique_ptr<QFileDialog> MakeDialog(QWidget* owner, const QString& title, const QString& programFolder) {
    KeepDialogHistoryOffDisk();
    const QString folder = PresetDialogFolder(programFolder);
    auto dialog = std::make_unique<QFileDialog>(owner, title, folder);
    dialog->setDirectory(folder);
    return dialog;
}

} // namespace

QtTuningFileDialogs::QtTuningFileDialogs(QWidget* owner, const QString& programFolder)
    : owner_(owner),
      programFolder_(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder) {}

QString QtTuningFileDialogs::Open(const QString& title, const QString& nameFilters) {
    std::unique_ptr<QFileDialog> dialog = MakeDialog(owner_, title, programFolder_);
    dialog->setNameFilter(nameFilters);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(std::move(dialog));
}

QString QtTuningFileDialogs::ChooseMeasurementFile() {
    return Open(kMeasurementOpenTitle, kCurveFilters);
}

QString QtTuningFileDialogs::ChooseTargetFile() {
    return Open(kTargetOpenTitle, kCurveFilters);
}

QString QtTuningFileDialogs::ChooseFilterFileToOpen() {
    return Open(kFiltersOpenTitle, kFilterTextFilters);
}

QString QtTuningFileDialogs::ChooseFilterFileToSave(FilterTextFormat& format) {
    std::unique_ptr<QFileDialog> dialog = MakeDialog(owner_, kFiltersSaveTitle, programFolder_);
    dialog->setNameFilters({kRewFilter, kApoFilter});
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    QString chosenFilter;
    const QString path = RunFileDialog(std::move(dialog), &chosenFilter);
    format = chosenFilter == kApoFilter ? FilterTextFormat::Apo : FilterTextFormat::Rew;
    return path;
}

} // namespace korva
