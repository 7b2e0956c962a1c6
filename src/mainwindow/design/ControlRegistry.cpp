#include "mainwindow/design/ControlRegistry.h"

namespace korva {

void ControlRegistry::Add(QObject* object, const DesignControl& design) {
    const size_t index = entries_.size();
    entries_.push_back({object, design});
    byName_.insert(design.ObjectName(), index);
    byObject_.insert(object, index);
}

QObject* ControlRegistry::Find(const QString& objectName) const {
    const Entry* entry = EntryOf(objectName);
    return entry ? entry->Object : nullptr;
}

const ControlRegistry::Entry* ControlRegistry::EntryOf(const QString& objectName) const {
    const auto it = byName_.constFind(objectName);
    return it == byName_.constEnd() ? nullptr : &entries_[*it];
}

const ControlRegistry::Entry* ControlRegistry::EntryOf(const QObject* object) const {
    const auto it = byObject_.constFind(object);
    return it == byObject_.constEnd() ? nullptr : &entries_[*it];
}

} // namespace korva
