#include "link/BulkTransfer.h"

#include "link/Communications.h"
#include "link/FrameProtocol.h"
#include "link/LinkUi.h"
#include "model/MessageService.h"
#include "model/ParamStore.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <exception>

namespace korva {

namespace {
constexpr int kCommonBlock = 0xC0;
constexpr int kGroupBlocks[] = {0x00, 0x40, 0x80};
} // namespace

BulkTransfer::BulkTransfer(Communications& comm, ParamModel& model, LinkUi& ui, MessageService& messages,
                           QObject* parent)
    : QObject(parent), comm_(comm), model_(model), ui_(ui), messages_(messages), timer6_(new QTimer(this)) {
    timer6_->setObjectName(QStringLiteral("Timer6"));
    timer6_->setInterval(kProgressIntervalMs);
    connect(timer6_, &QTimer::timeout, this, [this]() {
        ui_.SetProgressValue(comm_.ProgressCount());
        if (!ui_.IsProgressVisible()) {
            timer6_->stop();
        }
    });
}

bool BulkTransfer::BeginTransfer() {
    // The message about the lost link is still open: it is the answer.
    if (comm_.LinkLossPending()) {
        return false;
    }
    if (!comm_.IsOnline()) {
        messages_.Show(MessageIcon::Warning, QStringLiteral("还没有连接到目标机。"));
        return false;
    }
    inProgress_ = true;
    ui_.SetMainWindowEnabled(false);
    comm_.SetProgressCount(0);
    comm_.SetProgressTotal(kBlockCommands);
    ui_.SetProgressMaximum(kBlockCommands);
    ui_.SetProgressValue(0);
    ui_.SetProgressVisible(true);
    timer6_->start();
    return true;
}

void BulkTransfer::EndTransfer() {
    inProgress_ = false;
    ui_.SetMainWindowEnabled(true);
    ui_.SetProgressVisible(false);
}

bool BulkTransfer::ReadBlock(int command, int group, int firstAddress) {
    if (!comm_.SendCommand(command, group, firstAddress, 0, kBlockTimeoutMs)) {
        return false;
    }
    const QByteArray answer = comm_.Answer();
    const int count = std::min(BlockRecordCount(firstAddress), int((answer.size() - 1) / 3));
    for (int i = 0; i < count; ++i) {
        const uint8_t d1 = uint8_t(answer[3 * i]);
        if (command == kCmdReadMenuBlock) {
            model_.MenuShow[size_t(firstAddress + i)] = d1;
        } else {
            model_.Store.at(group, firstAddress + i) = {d1, uint8_t(answer[3 * i + 1]),
                                                        uint8_t(answer[3 * i + 2])};
        }
    }
    return true;
}

void BulkTransfer::RunReadSequence() {
    if (!ReadBlock(kCmdReadBlock, 0, kCommonBlock)) {
        return;
    }
    for (int group = 0; group < kGroupCount; ++group) {
        for (int first : kGroupBlocks) {
            if (!ReadBlock(kCmdReadBlock, group, first)) {
                return;
            }
        }
    }
    for (int first : kGroupBlocks) {
        if (!ReadBlock(kCmdReadMenuBlock, 0, first)) {
            return;
        }
    }
}

void BulkTransfer::ReadAllFromDevice() {
    if (!BeginTransfer()) {
        return;
    }
    bool failedUnexpectedly = false;
    try {
        RunReadSequence();
    } catch (const std::exception&) {
        failedUnexpectedly = true;
    }
    ui_.RefreshBoundControls(0xFF, 255);
    EndTransfer();
    if (failedUnexpectedly) {
        messages_.Show(MessageIcon::Critical, QStringLiteral("从机器读数据时出错！"));
    }
    ui_.UndoRedoInit();
}

void BulkTransfer::RunDownloadSequence(bool afterPresetImport) {
    if (!comm_.SendCommand(kCmdWriteBlock, 0, kCommonBlock, 0, kBlockTimeoutMs)) {
        return;
    }
    for (int group = 0; group < kGroupCount; ++group) {
        for (int first : kGroupBlocks) {
            if (!comm_.SendCommand(kCmdWriteBlock, group, first, 0, kBlockTimeoutMs)) {
                return;
            }
        }
    }
    if (afterPresetImport) {
        comm_.SendCommand(kCmdSelectGroup, model_.CurrentGroup, 0, 0, kBlockTimeoutMs);
    } else if (comm_.SendCommand(kCmdFinishDownload, 0, 0, 0, kFinishTimeoutMs)) {
        comm_.SetProgressCount(comm_.ProgressTotal());
        ui_.SetProgressValue(comm_.ProgressTotal());
        QCoreApplication::processEvents();
    }
}

void BulkTransfer::DownloadAllToDevice(bool afterPresetImport) {
    if (!BeginTransfer()) {
        return;
    }
    bool failedUnexpectedly = false;
    try {
        RunDownloadSequence(afterPresetImport);
    } catch (const std::exception&) {
        failedUnexpectedly = true;
    }
    EndTransfer();
    if (failedUnexpectedly) {
        messages_.Show(MessageIcon::Critical, QStringLiteral("下载数据到机器时出错！"));
    }
}

} // namespace korva
