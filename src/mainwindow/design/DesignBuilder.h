#pragma once
// Creates the controls of the design data on a window: each gets its type, its object name, its parent,
// its design properties (set by name) and its rectangle at design scale. A property that the control does
// not have or a value of the wrong kind is an error that names its line.

#include "mainwindow/design/ControlRegistry.h"
#include "mainwindow/LayoutScaler.h"

#include <QHash>
#include <QString>
#include <vector>

class QTimer;
class QWidget;

namespace korva {

class SkinImages;

class DesignBuilder {
public:
    // `skin` must outlive the controls made.
    DesignBuilder(const SkinImages& skin, QWidget& window);

    // A timer owned elsewhere (the undo history's, the link's) is configured from the block of its name
    // instead of being created.
    void AdoptTimer(QTimer* timer);

    // Creates every control of the form, registering it under its object name; `placements` receives each
    // placed control with its design rectangle. Timers whose block says Enabled=1 are started.
    bool Build(const DesignForm& form, ControlRegistry& registry,
               std::vector<LayoutScaler::Placement>& placements, QString* error);

private:
    QObject* Create(const DesignControl& control);
    bool Apply(QObject* object, const DesignControl& control, const DesignProperty& property, QString* error);

    const SkinImages& skin_;
    QWidget& window_;
    QHash<QString, QTimer*> adopted_;
    std::vector<QTimer*> toStart_;
};

// A design value as the type of the property it is written to: whole numbers in decimal or with "&H",
// switches as 0/1 or True/False. Returns an invalid QVariant when the text does not fit.
QVariant DesignValue(const QString& text, QMetaType type);

} // namespace korva
