#pragma once
// Every control of the main window by its object name ("MyScrollBar(17)", "btnClose"), with the design
// block it was made from. Typed lookups return nullptr for a missing name or a control of another type.

#include "design/DesignData.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

namespace korva {

class ControlRegistry {
public:
    struct Entry {
        QObject* Object = nullptr;
        DesignControl Design;
    };

    void Add(QObject* object, const DesignControl& design);

    QObject* Find(const QString& objectName) const;
    template <class T> T* Get(const QString& objectName) const { return qobject_cast<T*>(Find(objectName)); }
    template <class T> T* Get(const QString& name, int index) const {
        return Get<T>(ArrayMemberName(name, index));
    }
    const Entry* EntryOf(const QString& objectName) const;
    const Entry* EntryOf(const QObject* object) const;

    // In design-data order.
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    QHash<QString, size_t> byName_;
    QHash<const QObject*, size_t> byObject_;
};

} // namespace korva
