#include "mainwindow/tuning/TuningActions.h"

#include "eq/FilterText.h"
#include "eq/GridFit.h"
#include "eq/MeasurementText.h"
#include "mainwindow/presets/PresetFileDialogs.h"
#include "mainwindow/tuning/TuningFileDialogs.h"
#include "mainwindow/tuning/TuningState.h"
#include "model/ChannelTables.h"
#include "model/MessageService.h"
#include "ops/ParamTable.h"
#include "processor/Processor.h"

#include <QFileInfo>
#include <QSaveFile>

namespace korva {

const QString kNoMeasurementMessage = QStringLiteral("请先导入测量");
const QString kAskTargetMessage = QStringLiteral("是否同时导入目标曲线？\n选择“否”则以平直曲线为目标。");
const QString kExportFailedFiltersMessage = QStringLiteral("保存滤波器文件失败！");

namespace {

// At most this many skipped lines are listed; the rest are counted.
constexpr size_t kListedWarnings = 10;

ChannelEq CurrentChannelEq(const ParamModel& model) {
    return ChannelEqFromStore(model.Store, model.CurrentGroup, model.CurrentChannel);
}

// "music", as the parameter names call the channel.
QString ChannelName(int channel) {
    const ParamDef* bypass = FindParamAt(BypassAddressTable()[size_t(channel)], 0);
    return bypass ? bypass->Name.section(QLatin1Char('.'), 0, 0) : QString::number(channel);
}

} // namespace

TuningActions::TuningActions(Processor& processor, TuningState& state, TuningFileDialogs& dialogs,
                             MessageService& messages, int origin)
    : processor_(processor), state_(state), dialogs_(dialogs), messages_(messages), origin_(origin) {}

bool TuningActions::ImportMeasurement() {
    const QString path = CleanDialogFileName(dialogs_.ChooseMeasurementFile());
    if (path.isEmpty()) {
        return false;
    }
    ReadError error;
    std::optional<MeasurementData> measurement = ReadMeasurementFile(path, &error);
    if (!measurement) {
        messages_.Show(MessageIcon::Error, error.Message());
        return false;
    }
    std::optional<MeasurementData> target;
    QString targetPath;
    if (messages_.Ask(kAskTargetMessage, kMeasurementOpenTitle)) {
        targetPath = CleanDialogFileName(dialogs_.ChooseTargetFile());
        if (!targetPath.isEmpty()) {
            target = ReadMeasurementFile(targetPath, &error);
            if (!target) {
                messages_.Show(MessageIcon::Error, error.Message());
                return false;
            }
        }
    }
    ShowWarnings(path, measurement->Warnings);
    LoadedMeasurement loaded;
    loaded.Curve = std::move(measurement->Curve);
    if (target) {
        ShowWarnings(targetPath, target->Warnings);
        loaded.Target = std::move(target->Curve);
    }
    loaded.OffsetDb = AlignmentOffsetDb(loaded.Curve, loaded.Target ? &*loaded.Target : nullptr);
    state_.Measurement = std::move(loaded);
    state_.Preview.reset();
    ++state_.Version;
    return true;
}

bool TuningActions::ImportFilters() {
    const QString path = CleanDialogFileName(dialogs_.ChooseFilterFileToOpen());
    if (path.isEmpty()) {
        return false;
    }
    ReadError error;
    const std::optional<FilterSet> filters = ReadFilterFile(path, &error);
    if (!filters) {
        messages_.Show(MessageIcon::Error, error.Message());
        return false;
    }
    ShowWarnings(path, filters->Warnings);
    QString why;
    return ShowPreview(korva::ImportFilters(*filters, CurrentChannelEq(processor_.Model()), FitOptions{}, &why),
                       why, true);
}

bool TuningActions::AutoEqualise() {
    if (!state_.Measurement) {
        messages_.Show(MessageIcon::Warning, kNoMeasurementMessage);
        return false;
    }
    const LoadedMeasurement& m = *state_.Measurement;
    QString why;
    return ShowPreview(FitMeasurement(m.Curve, m.Target ? &*m.Target : nullptr,
                                      CurrentChannelEq(processor_.Model()), MeasurementFitOptions{}, &why),
                       why, false);
}

bool TuningActions::ExportFilters() {
    FilterTextFormat format = FilterTextFormat::Rew;
    const QString path = CleanDialogFileName(dialogs_.ChooseFilterFileToSave(format));
    if (path.isEmpty()) {
        return false;
    }
    const ParamModel& model = processor_.Model();
    const QString note =
        QStringLiteral("korva-tuner MODEL %1 %2").arg(model.CurrentGroup + 1).arg(ChannelName(model.CurrentChannel));
    const QByteArray text = ExportFilterText(CurrentChannelEq(model), format, note).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        messages_.Show(MessageIcon::Error, kExportFailedFiltersMessage);
        return false;
    }
    return true;
}

// Every band and cut filter of the channel is part of the preview; applying it writes only those that
// change. Cut filters the fit left alone keep their stored record.
bool TuningActions::ShowPreview(const std::optional<FitResult>& result, const QString& why, bool withDesired) {
    if (!result) {
        messages_.Show(MessageIcon::Warning, why);
        return false;
    }
    const FitResult& fit = *result;
    const ParamModel& model = processor_.Model();
    TuningPreview preview;
    preview.Group = model.CurrentGroup;
    preview.Channel = fit.Eq.Channel;
    preview.Eq = fit.Eq;
    preview.RmsDb = fit.RmsDb;
    preview.MaxDb = fit.MaxDb;
    for (const FittedBand& band : fit.Bands) {
        preview.Records.push_back(
            {band.Address, ParamRecord{band.Record.FreqIndex, band.Record.GainIndex, band.Record.QIndex}});
    }
    for (const FittedCut& cut : fit.Cuts) {
        ParamRecord record = model.Cell(preview.Group, cut.Address);
        record.DATA1 = cut.FreqIndex;
        preview.Records.push_back({cut.Address, record});
    }
    if (withDesired) {
        preview.Desired = FrequencyCurve{fit.FrequencyHz, fit.DesiredDb};
    }
    state_.Preview = std::move(preview);
    ++state_.Version;
    return true;
}

bool TuningActions::ApplyPreview() {
    DropStalePreview();
    if (!state_.Preview) {
        return false;
    }
    // Taken down before the writes wait: an Enter pressed meanwhile finds nothing to apply.
    TuningPreview preview = std::move(*state_.Preview);
    state_.Preview.reset();
    ++state_.Version;
    const PointsApplied applied = processor_.ApplyPointRecords(preview.Group, preview.Records, origin_);
    if (applied.Result == PointsApplied::Outcome::Refused) {
        messages_.Show(MessageIcon::Warning, applied.Reason);
        state_.Preview = std::move(preview); // still there to apply once the processor is free
        ++state_.Version;
        return false;
    }
    return true;
}

bool TuningActions::CancelPreview() {
    if (!state_.Preview) {
        return false;
    }
    state_.Preview.reset();
    ++state_.Version;
    return true;
}

void TuningActions::DropStalePreview() {
    const ParamModel& model = processor_.Model();
    if (state_.Preview && (state_.Preview->Group != model.CurrentGroup ||
                           state_.Preview->Channel != model.CurrentChannel)) {
        CancelPreview();
    }
}

void TuningActions::ShowWarnings(const QString& path, const std::vector<ReadWarning>& warnings) {
    if (warnings.empty()) {
        return;
    }
    QString text = QStringLiteral("文件 %1 中有 %2 行未使用：")
                       .arg(QFileInfo(path).fileName())
                       .arg(warnings.size());
    for (size_t i = 0; i < warnings.size() && i < kListedWarnings; ++i) {
        text += QStringLiteral("\n第 %1 行：%2").arg(warnings[i].Line).arg(warnings[i].Reason);
    }
    if (warnings.size() > kListedWarnings) {
        text += QStringLiteral("\n……");
    }
    messages_.Show(MessageIcon::Warning, text);
}

} // namespace korva
