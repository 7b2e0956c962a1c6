#include "korvad/Fleet.h"

#include "korvad/EventHub.h"
#include "link/USB_Comm.h"
#include "model/ListText.h"
#include "sim/VirtualRack.h"

#include <set>

namespace korva::korvad {

namespace {

QJsonObject AttachEvent(const char* type, const ProcessorWorker& worker) {
    return {{"type", QString::fromLatin1(type)},
            {"processor", worker.Id()},
            {"device", QString::fromStdString(worker.Device().Path)}};
}

} // namespace

Fleet::Fleet(HidBackend& backend, EventHub& events, int rereadSeconds, QObject* parent)
    : QObject(parent), backend_(backend), events_(events), rereadSeconds_(rereadSeconds) {
    timer_.setInterval(kEnumerateIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &Fleet::Enumerate);
}

Fleet::~Fleet() = default;

void Fleet::Start() {
    Enumerate();
    timer_.start();
}

void Fleet::Enumerate() {
    const uint16_t vendor = uint16_t(ParseListNumber(USB_Comm::kKorvaVendorID).value_or(0));
    const uint16_t product = uint16_t(ParseListNumber(USB_Comm::kKorvaProductID).value_or(0));
    std::vector<HidDeviceInfo> found;
    {
        std::lock_guard<std::mutex> guard(backendLock_);
        found = backend_.Enumerate();
    }
    std::erase_if(retiring_, [](const auto& worker) { return worker->Closed(); });
    std::set<std::string> present;
    for (HidDeviceInfo& info : found) {
        if (info.VendorId != vendor || info.ProductId != product || !present.insert(info.Path).second) {
            continue;
        }
        if (!workers_.count(info.Path)) {
            auto worker = std::make_unique<ProcessorWorker>(backend_, backendLock_, info, events_, rereadSeconds_);
            events_.Publish(AttachEvent("attached", *worker));
            workers_.emplace(info.Path, std::move(worker));
        }
    }
    // A processor that has gone is dropped once its link has noticed (a short glitch keeps it).
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (!present.count(it->first) && !it->second->IsOnline() && !it->second->IsBusy()) {
            events_.Publish(AttachEvent("detached", *it->second));
            it->second->BeginClose();
            retiring_.push_back(std::move(it->second));
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<const ProcessorWorker*> Fleet::Processors() const {
    std::vector<const ProcessorWorker*> list;
    for (const auto& [path, worker] : workers_) {
        list.push_back(worker.get());
    }
    return list;
}

Fleet::Lookup Fleet::Find(const QString& id) const {
    Lookup found;
    int matches = 0;
    for (const auto& [path, worker] : workers_) {
        if (worker->Device().SerialNumber == id || QString::fromStdString(path) == id) {
            found.Worker = worker.get();
            ++matches;
        }
    }
    if (matches == 1) {
        return found;
    }
    found.Worker = nullptr;
    found.Status = matches == 0 ? 404 : 409;
    found.Message = matches == 0 ? QStringLiteral("没有找到处理器 %1").arg(id)
                                 : QStringLiteral("有 %1 台处理器的序列号是 %2，请用设备路径指定").arg(matches).arg(id);
    return found;
}

const sim::VirtualProcessor* Fleet::Virtual(const std::string& path) const {
    auto* rack = dynamic_cast<sim::VirtualRack*>(&backend_);
    for (int i = 0; rack && i < rack->Count(); ++i) {
        if (rack->Processor(i).Path() == path) {
            return &rack->Processor(i);
        }
    }
    return nullptr;
}

} // namespace korva::korvad
