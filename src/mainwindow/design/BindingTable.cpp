#include "mainwindow/design/BindingTable.h"

#include "mainwindow/design/ControlRegistry.h"
#include "mainwindow/MainControls.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

namespace korva {

namespace {

template <class Binding> using Parser = std::optional<Binding> (*)(const QString&, QString*);

// Reads the TagNew of one control: an empty text is no binding, a malformed one an error at its line.
template <class Binding>
bool ReadTag(const QWidget* control, const ControlRegistry& registry, Parser<Binding> parse,
             std::optional<Binding>& out, QString* error) {
    out.reset();
    const QString text = control->property("TagNew").toString();
    if (text.isEmpty()) {
        return true;
    }
    QString why;
    out = parse(text, &why);
    if (out) {
        return true;
    }
    const ControlRegistry::Entry* entry = registry.EntryOf(control);
    const DesignProperty* tag = entry ? entry->Design.Property(QStringLiteral("TagNew")) : nullptr;
    if (error) {
        const QString message = QStringLiteral("%1 的绑定“%2”无效：%3").arg(control->objectName(), text, why);
        *error = tag ? DesignLineError(tag->Line, message) : message;
    }
    return false;
}

template <class Widget, class Binding>
bool ReadTags(const std::vector<Widget*>& controls, const ControlRegistry& registry, Parser<Binding> parse,
              std::vector<std::optional<Binding>>& out, QString* error) {
    out.assign(controls.size(), std::nullopt);
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] && !ReadTag(controls[i], registry, parse, out[i], error)) {
            return false;
        }
    }
    return true;
}

// Both buttons of a pair name the same address (or the odd one names none).
bool ReadPair(const SimpControl* even, const SimpControl* odd, const ControlRegistry& registry,
              std::optional<ButtonBinding>& out, QString* error) {
    std::optional<ButtonBinding> second;
    if (!ReadTag(even, registry, &ParseButtonBinding, out, error) ||
        !ReadTag(odd, registry, &ParseButtonBinding, second, error)) {
        return false;
    }
    if (second && (!out || out->Address != second->Address)) {
        if (error) {
            *error = QStringLiteral("设计数据错误：%1 与 %2 是一对开关，绑定的地址必须相同")
                         .arg(even->objectName(), odd->objectName());
        }
        return false;
    }
    return true;
}

} // namespace

bool BindingTable::ReadDesignTags(const MainControls& c, const ControlRegistry& registry, QString* error) {
    if (!ReadTags(c.MyScrollBar, registry, &ParseSliderBinding, sliders_, error) ||
        !ReadTags(c.MyNumber, registry, &ParseDisplayBinding, displays_, error)) {
        return false;
    }
    myButtonPairs_.assign(c.MyButton.size() / 2, std::nullopt);
    for (size_t p = 0; p < myButtonPairs_.size(); ++p) {
        if (!ReadPair(c.MyButton[2 * p], c.MyButton[2 * p + 1], registry, myButtonPairs_[p], error)) {
            return false;
        }
    }
    if (!ReadPair(c.btnSaveMode[0], c.btnSaveMode[1], registry, saveModePair_, error) ||
        !ReadPair(c.btnModeChange[0], c.btnModeChange[1], registry, modeChangePair_, error) ||
        !ReadTag(c.btnInput, registry, &ParseButtonBinding, input_, error) ||
        !ReadTag(c.btnShowStartMode, registry, &ParseButtonBinding, showStartMode_, error) ||
        !ReadTag(c.btnFBX, registry, &ParseButtonBinding, fbx_, error) ||
        !ReadTag(c.btnLock, registry, &ParseButtonBinding, lock_, error) ||
        !ReadTag(c.btnEQByPass, registry, &ParseButtonBinding, bypass_, error)) {
        return false;
    }
    // The point grid is bound at run time only.
    pointValues_.assign(c.ShowNumberDot.size(), std::nullopt);
    pointMarkers_.assign(c.btnShowDot1.size(), std::nullopt);
    ClearPointGrid(c);
    return true;
}

void BindingTable::SetBypass(const MainControls& controls, uint8_t address) {
    bypass_ = ButtonBinding{address};
    controls.btnEQByPass->SetTagNew(FormatButtonBinding(address));
}

void BindingTable::BindPointValue(const MainControls& controls, int display, uint8_t address, int dataIndex,
                                  int point) {
    pointValues_.at(size_t(display)) = PointValueBinding{address, dataIndex, point};
    controls.ShowNumberDot[size_t(display)]->SetTagNew(FormatPointValueBinding(address, dataIndex, point));
}

void BindingTable::BindPointMarker(const MainControls& controls, int button, int point) {
    pointMarkers_.at(size_t(button)) = PointMarkerBinding{point};
    controls.btnShowDot1[size_t(button)]->SetTagNew(QString::number(point));
}

void BindingTable::ClearPointGrid(const MainControls& controls) {
    for (size_t i = 0; i < pointMarkers_.size(); ++i) {
        pointMarkers_[i].reset();
        controls.btnShowDot1[i]->SetTagNew(QString());
        controls.btnShowDot1[i]->SetUserHightCutPic(false);
    }
    for (size_t i = 0; i < pointValues_.size(); ++i) {
        pointValues_[i].reset();
        controls.ShowNumberDot[i]->SetTagNew(QString());
    }
}

} // namespace korva
