#include "mainwindow/design/DesignBuilder.h"

#include "design/Twips.h"
#include "mainwindow/design/DesignLabel.h"
#include "mainwindow/graph/GraphView.h"
#include "model/ListText.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QMetaProperty>
#include <QTimer>

namespace korva {

namespace {

bool Fail(QString* error, int line, const QString& why) {
    if (error) {
        *error = DesignLineError(line, why);
    }
    return false;
}

void SetPlainBackColor(QWidget* widget, int rgb) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(QRgb(rgb)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool IsSkinned(DesignType type) {
    return type == DesignType::SimpControl || type == DesignType::ShowNumber ||
           type == DesignType::ScrollBar || type == DesignType::C_ProgressBar ||
           type == DesignType::PictureBox;
}

} // namespace

QVariant DesignValue(const QString& text, QMetaType type) {
    switch (type.id()) {
    case QMetaType::Int: {
        const std::optional<int> v = ParseListNumber(text);
        return v ? QVariant(*v) : QVariant();
    }
    case QMetaType::Bool: {
        const QString t = text.trimmed().toLower();
        if (t == u"1" || t == u"true") {
            return true;
        }
        if (t == u"0" || t == u"false") {
            return false;
        }
        return {};
    }
    case QMetaType::Double: {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        return ok ? QVariant(v) : QVariant();
    }
    case QMetaType::QString:
        return text;
    default:
        return {};
    }
}

DesignBuilder::DesignBuilder(const SkinImages& skin, QWidget& window) : skin_(skin), window_(window) {}

void DesignBuilder::AdoptTimer(QTimer* timer) {
    adopted_.insert(timer->objectName(), timer);
}

QObject* DesignBuilder::Create(const DesignControl& control) {
    switch (control.Type) {
    case DesignType::SimpControl:
        return new SimpControl(skin_, &window_);
    case DesignType::ShowNumber:
        return new ShowNumber(skin_, &window_);
    case DesignType::ScrollBar:
        return new ScrollBar(skin_, &window_);
    case DesignType::C_ProgressBar:
        return new C_ProgressBar(&window_);
    case DesignType::Frame: {
        auto* frame = new QFrame(&window_);
        frame->setFrameShape(QFrame::NoFrame);
        return frame;
    }
    case DesignType::PictureBox:
        return new GraphView(&window_);
    case DesignType::CheckBox:
        return new QCheckBox(&window_);
    case DesignType::Label:
        return new DesignLabel(&window_);
    case DesignType::TextBox:
        return new QLineEdit(&window_);
    case DesignType::Timer:
        if (QTimer* adopted = adopted_.value(control.ObjectName())) {
            return adopted;
        }
        return new QTimer(&window_);
    }
    return nullptr;
}

bool DesignBuilder::Apply(QObject* object, const DesignControl& control, const DesignProperty& property,
                          QString* error) {
    const QString& key = property.Key;
    const auto wrongValue = [&](const char* expected) {
        return Fail(
            error, property.Line,
            QStringLiteral("%1 的值“%2”不是%3").arg(key, property.Value, QString::fromUtf8(expected)));
    };
    if (auto* timer = qobject_cast<QTimer*>(object)) {
        if (key == u"Interval") {
            const QVariant v = DesignValue(property.Value, QMetaType::fromType<int>());
            if (!v.isValid() || v.toInt() < 0) {
                return wrongValue("非负整数");
            }
            timer->setInterval(v.toInt());
            return true;
        }
        if (key == u"Enabled") {
            const QVariant v = DesignValue(property.Value, QMetaType::fromType<bool>());
            if (!v.isValid()) {
                return wrongValue(" 0 或 1");
            }
            if (v.toBool()) {
                toStart_.push_back(timer);
            }
            return true;
        }
        return Fail(error, property.Line, QStringLiteral("计时器没有属性“%1”").arg(key));
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (key == u"Enabled") {
        const QVariant v = DesignValue(property.Value, QMetaType::fromType<bool>());
        if (!v.isValid()) {
            return wrongValue(" 0 或 1");
        }
        widget->setEnabled(v.toBool());
        return true;
    }
    if (!IsSkinned(control.Type) && key == u"BackColor") {
        const QVariant v = DesignValue(property.Value, QMetaType::fromType<int>());
        if (!v.isValid()) {
            return wrongValue("颜色值");
        }
        SetPlainBackColor(widget, v.toInt());
        return true;
    }
    if (key == u"Caption") {
        if (auto* check = qobject_cast<QCheckBox*>(object)) {
            check->setText(property.Value);
            return true;
        }
        if (auto* label = qobject_cast<QLabel*>(object)) {
            label->setText(property.Value);
            return true;
        }
    }
    if (key == u"Text") {
        if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            edit->setText(property.Value);
            return true;
        }
    }
    // Any other key must be a property the control's own class declares.
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(property.Key.toLatin1().constData());
    if (index < QWidget::staticMetaObject.propertyCount() || !meta->property(index).isWritable()) {
        return Fail(error, property.Line,
                    QStringLiteral("%1 控件没有属性“%2”").arg(DesignTypeName(control.Type), key));
    }
    const QMetaProperty metaProperty = meta->property(index);
    const QVariant value = DesignValue(property.Value, metaProperty.metaType());
    if (!value.isValid()) {
        return wrongValue(metaProperty.metaType().id() == QMetaType::Bool ? " 0 或 1" : "有效的数值");
    }
    metaProperty.write(object, value);
    return true;
}

bool DesignBuilder::Build(const DesignForm& form, ControlRegistry& registry,
                          std::vector<LayoutScaler::Placement>& placements, QString* error) {
    toStart_.clear();
    for (const DesignControl& control : form.Controls) {
        QObject* object = Create(control);
        object->setObjectName(control.ObjectName());
        for (const DesignProperty& property : control.Properties) {
            if (!Apply(object, control, property, error)) {
                return false;
            }
        }
        registry.Add(object, control);
    }
    // Adopted timers are found by name even when the design data has no block for them.
    for (QTimer* timer : adopted_) {
        if (!registry.Find(timer->objectName())) {
            DesignControl block;
            block.Name = timer->objectName();
            block.Type = DesignType::Timer;
            registry.Add(timer, block);
        }
    }
    // Parents may follow their children in the file, so controls are placed once all exist. Reparenting in
    // file order keeps the file's stacking: a later control lies over an earlier one.
    for (const ControlRegistry::Entry& entry : registry.Entries()) {
        auto* widget = qobject_cast<QWidget*>(entry.Object);
        if (!widget || !entry.Design.Rect) {
            continue;
        }
        QWidget* parent =
            entry.Design.Parent.isEmpty() ? &window_ : registry.Get<QWidget>(entry.Design.Parent);
        widget->setParent(parent);
        widget->setGeometry(TwipsToPixels(*entry.Design.Rect));
        if (auto* number = qobject_cast<ShowNumber*>(widget); number && widget->height() > 0) {
            number->SetReferenceHeight(widget->height());
        }
        widget->setVisible(entry.Design.Visible);
        placements.push_back({widget, *entry.Design.Rect});
    }
    for (QTimer* timer : toStart_) {
        timer->start();
    }
    return true;
}

} // namespace korva
