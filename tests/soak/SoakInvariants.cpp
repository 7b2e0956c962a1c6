#include "SoakInvariants.h"

#include "TestWorld.h"

#include "eq/EqScales.h"
#include "mainwindow/graph/GraphInteraction.h"
#include "model/ChannelTables.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"

#include <QEvent>

#include <map>

namespace korva::soak {

namespace {

QString RecordText(const ParamRecord& r) {
    return QStringLiteral("%1,%2,%3").arg(r.DATA1).arg(r.DATA2).arg(r.DATA3);
}

} // namespace

SoakInvariants::SoakInvariants(test::TestWorld& world, QString* error)
    : world_(world), ranges_(*world.Window, error) {
    for (const QWidget* widget : world.Window->findChildren<QWidget*>()) {
        if (!widget->isEnabledTo(world.Window.get())) {
            disabledByDesign_.insert(widget);
        }
    }
}

QString SoakInvariants::Check() const {
    if (world_.Context.Link.Comm().LinkBusy()) {
        return QStringLiteral("an exchange is still waiting after its handler returned");
    }
    for (const QString& broken : {CheckControls(), ranges_.FirstViolation(world_.Context.Model.Store),
                                  CheckSelection(), CheckGraphShowsStore(), CheckUndo()}) {
        if (!broken.isEmpty()) {
            return broken;
        }
    }
    return {};
}

// Every lock taken for a write or a bulk transfer has been released.
QString SoakInvariants::CheckControls() const {
    if (!world_.Window->isEnabled()) {
        return QStringLiteral("the main window is still disabled");
    }
    for (const QWidget* widget : world_.Window->findChildren<QWidget*>()) {
        if (!widget->isEnabledTo(world_.Window.get()) && !disabledByDesign_.contains(widget)) {
            return QStringLiteral("%1 is still disabled").arg(widget->objectName());
        }
    }
    return {};
}

QString SoakInvariants::CheckSelection() const {
    const ParamModel& model = world_.Context.Model;
    const EqState& eq = world_.Context.Eq;
    if (model.CurrentGroup >= kGroupCount || model.CurrentChannel >= kChannelCount) {
        return QStringLiteral("group %1, channel %2").arg(model.CurrentGroup).arg(model.CurrentChannel);
    }
    if (eq.PointCount <= 0 || eq.PointCount > kEqPointSlots || eq.SelectedPoint < 0 ||
        eq.SelectedPoint >= eq.PointCount) {
        return QStringLiteral("selected point %1 of %2").arg(eq.SelectedPoint).arg(eq.PointCount);
    }
    return {};
}

// The points on the graph are the current channel's records of the current group, and the knobs show
// the selected one.
QString SoakInvariants::CheckGraphShowsStore() const {
    const ParamModel& model = world_.Context.Model;
    const EqState& eq = world_.Context.Eq;
    const ChannelRow& row = ChannelTable().at(model.CurrentChannel);
    const int cuts = (row.HighCut != kNoAddress ? 1 : 0) + (row.LowCut != kNoAddress ? 1 : 0);
    if (eq.PointCount != row.BandCount + cuts) {
        return QStringLiteral("%1 points on the graph of channel %2")
            .arg(eq.PointCount)
            .arg(model.CurrentChannel);
    }
    for (int slot = 0; slot < eq.PointCount; ++slot) {
        const EqPoint& p = eq.Points[size_t(slot)];
        const ParamRecord& r = model.Store.at(model.CurrentGroup, p.Address);
        const bool peak = p.Kind == EqPointKind::Peak;
        if (!p.InUse || p.FrequencyHz != FreqIndexToHz(r.DATA1) ||
            (peak && (p.GainDb != GainIndexToDb(r.DATA2) || p.Q != QIndexToQ(r.DATA3)))) {
            return QStringLiteral("point %1 shows %2 Hz %3 dB Q %4, the store holds %5 at address %6")
                .arg(slot)
                .arg(p.FrequencyHz)
                .arg(p.GainDb)
                .arg(p.Q)
                .arg(RecordText(r))
                .arg(p.Address);
        }
    }
    const EqPoint& selected = eq.Points[size_t(eq.SelectedPoint)];
    const ParamRecord& r = model.Store.at(model.CurrentGroup, selected.Address);
    const MainControls& c = world_.C();
    const bool peak = selected.Kind == EqPointKind::Peak;
    if (c.MKnobFreq->Value() != r.DATA1 || (peak && c.MKnobDb->Value() != r.DATA2) ||
        (peak && QIndexToQ(uint8_t(c.MKnobQ->Value())) != QIndexToQ(r.DATA3))) {
        return QStringLiteral("the knobs show %1,%2,%3 for point %4, the store holds %5")
            .arg(c.MKnobFreq->Value())
            .arg(c.MKnobDb->Value())
            .arg(c.MKnobQ->Value())
            .arg(eq.SelectedPoint)
            .arg(RecordText(r));
    }
    return {};
}

QString SoakInvariants::CheckUndo() const {
    const UndoHistory& undo = world_.Context.Undo;
    if (undo.IsRestoring() || undo.UndoPosition() < -1 || undo.UndoPosition() >= UndoHistory::kSlotCount ||
        undo.UndoTop() >= UndoHistory::kSlotCount || undo.UndoTop() < undo.UndoPosition()) {
        return QStringLiteral("undo position %1, top %2").arg(undo.UndoPosition()).arg(undo.UndoTop());
    }
    return {};
}

QString SoakInvariants::CheckMessages(const ExpectedMessages& expected) const {
    std::map<QString, int> shown;
    for (const RecordingMessageService::Message& m : world_.Messages.Messages()) {
        ++shown[m.Text];
    }
    const std::map<QString, int> exact{
        {QStringLiteral("与目标通信连接超时，已断开连接。"), expected.OfflineTransitions},
        {QStringLiteral("还没有连接到目标机。"), expected.OfflineDownloads},
        {GraphInteraction::NotANumberText(), expected.NotANumberEntries},
    };
    const QString usbFailed = QStringLiteral("操作USB设备失败！");
    for (const auto& [text, count] : shown) {
        const auto it = exact.find(text);
        if (text == usbFailed ? count > expected.ThrowsArmed : it == exact.end()) {
            return QStringLiteral("%1 × \"%2\"").arg(count).arg(text);
        }
    }
    for (const auto& [text, count] : exact) {
        const auto it = shown.find(text);
        const int got = it == shown.end() ? 0 : it->second;
        if (got != count) {
            return QStringLiteral("%1 × \"%2\", expected %3").arg(got).arg(text).arg(count);
        }
    }
    return {};
}

TransferCheck::TransferCheck(test::TestWorld& world) : world_(world) {
    world.C().C_ProgressBar1->installEventFilter(this);
}

bool TransferCheck::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::HideToParent && world_.Comm().IsOnline()) {
        ++checked_;
        const QString differs =
            SoakInvariants::CompareTransferredBlocks(world_.Device.Memory().Store, world_.Model().Store);
        if (!differs.isEmpty() && firstDifference_.isEmpty()) {
            firstDifference_ = QStringLiteral("after a bulk transfer: ") + differs;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString SoakInvariants::CompareTransferredBlocks(const ParamStore& device, const ParamStore& store) {
    struct Block {
        int First;
        int Count;
        int Groups;
    };
    for (const Block& block : {Block{0xC0, 16, 1}, Block{0x00, 41, kGroupCount}, Block{0x40, 30, kGroupCount},
                               Block{0x80, 12, kGroupCount}}) {
        for (int group = 0; group < block.Groups; ++group) {
            for (int address = block.First; address < block.First + block.Count; ++address) {
                if (!(device.at(group, address) == store.at(group, address))) {
                    return QStringLiteral("group %1, address %2: processor %3, store %4")
                        .arg(group)
                        .arg(address)
                        .arg(RecordText(device.at(group, address)))
                        .arg(RecordText(store.at(group, address)));
                }
            }
        }
    }
    return {};
}

} // namespace korva::soak
