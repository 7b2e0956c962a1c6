#include "link/BulkTransfer.h"

#include "link/Communications.h"
#include "link/FrameProtocol.h"
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

BulkTransfer::BulkTransfer(Communications& comm, ParamModel& model, MessageService& messages, QObject* parent)
    : QObject(parent), comm_(comm), model_(model), messages_(messages), timer6_(new QTimer(this)) {
    timer6_->setObjectName(QStringLiteral("Timer6"));
    timer6_->setInterval(kProgressIntervalMs);
    connect(timer6_, &QTimer::timeout, this, [this]() {
        emit ProgressChanged(comm_.ProgressCount());
        if (!inProgress_) {
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
    comm_.SetProgressCount(0);
    comm_.SetProgressTotal(kBlockCommands);
    emit TransferStarted(kBlockCommands);
    timer6_->start();
    return true;
}

void BulkTransfer::EndTransfer() {
    inProgress_ = false;
    emit TransferEnded();
}

const std::vector<BulkBlock>& BulkTransfer::DownloadBlocks() {
    static const std::vector<BulkBlock> blocks = [] {
        std::vector<BulkBlock> list{{kCmdWriteBlock, 0, kCommonBlock}};
        for (int group = 0; group < kGroupCount; ++group) {
            for (int first : kGroupBlocks) {
                list.push_back({kCmdWriteBlock, group, first});
            }
        }
        return list;
    }();
    return blocks;
}

const std::vector<BulkBlock>& BulkTransfer::ReadBlocks() {
    static const std::vector<BulkBlock> blocks = [] {
        std::vector<BulkBlock> list;
        for (const BulkBlock& b : DownloadBlocks()) {
            list.push_back({kCmdReadBlock, b.Group, b.FirstAddress});
        }
        for (int first : kGroupBlocks) {
            list.push_back({kCmdReadMenuBlock, 0, first});
        }
        return list;
    }();
    return blocks;
}

bool BulkTransfer::SendBlock(int index, const BulkBlock& block, int answerTimeoutMs) {
    const bool answered = comm_.SendCommand(block.Command, block.Group, block.FirstAddress, 0, answerTimeoutMs);
    emit BlockDone(index, block, answered);
    return answered;
}

void BulkTransfer::StoreBlockAnswer(ParamModel& model, const BulkBlock& block, const QByteArray& answer) {
    const int count = std::min(BlockRecordCount(block.FirstAddress), int((answer.size() - 1) / 3));
    for (int i = 0; i < count; ++i) {
        const uint8_t d1 = uint8_t(answer[3 * i]);
        if (block.Command == kCmdReadMenuBlock) {
            model.MenuShow[size_t(block.FirstAddress + i)] = d1;
        } else {
            model.Store.at(block.Group, block.FirstAddress + i) = {d1, uint8_t(answer[3 * i + 1]),
                                                                   uint8_t(answer[3 * i + 2])};
        }
    }
}

bool BulkTransfer::RunReadSequence() {
    const std::vector<BulkBlock>& blocks = ReadBlocks();
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!SendBlock(int(i), blocks[i])) {
            return false;
        }
        StoreBlockAnswer(model_, blocks[i], comm_.Answer());
    }
    return true;
}

bool BulkTransfer::ReadAllFromDevice() {
    if (!BeginTransfer()) {
        return false;
    }
    bool complete = false;
    bool failedUnexpectedly = false;
    try {
        complete = RunReadSequence();
    } catch (const std::exception&) {
        failedUnexpectedly = true;
    }
    emit MemoryRead();
    EndTransfer();
    if (failedUnexpectedly) {
        messages_.Show(MessageIcon::Critical, QStringLiteral("从机器读数据时出错！"));
    }
    return complete && !failedUnexpectedly;
}

bool BulkTransfer::RunDownloadSequence(bool afterPresetImport) {
    const std::vector<BulkBlock>& blocks = DownloadBlocks();
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!SendBlock(int(i), blocks[i])) {
            return false;
        }
    }
    const int closing = int(blocks.size());
    if (afterPresetImport) {
        return SendBlock(closing, {kCmdSelectGroup, model_.CurrentGroup, 0});
    }
    if (!SendBlock(closing, {kCmdFinishDownload, 0, 0}, kFinishTimeoutMs)) {
        return false;
    }
    comm_.SetProgressCount(comm_.ProgressTotal());
    emit ProgressChanged(comm_.ProgressTotal());
    QCoreApplication::processEvents();
    return true;
}

bool BulkTransfer::DownloadAllToDevice(bool afterPresetImport) {
    if (!BeginTransfer()) {
        return false;
    }
    bool complete = false;
    bool failedUnexpectedly = false;
    try {
        complete = RunDownloadSequence(afterPresetImport);
    } catch (const std::exception&) {
        failedUnexpectedly = true;
    }
    EndTransfer();
    if (failedUnexpectedly) {
        messages_.Show(MessageIcon::Critical, QStringLiteral("下载数据到机器时出错！"));
    }
    return complete && !failedUnexpectedly;
}

} // namespace korva
