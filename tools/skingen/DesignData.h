#pragma once

#include <QMap>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

namespace korva::skingen {

// One control block of the window's design data.
struct DesignControl {
    QString name;   // "MyScrollBar(17)"
    QString type;   // "SimpControl", "ScrollBar", ...
    QString parent; // empty: the window itself
    QRect rectTwips;
    bool hasRect = false;
    bool visible = true;
    QMap<QString, QString> props;

    QRectF RectPx() const;
    QString Prop(const QString& key, const QString& fallback = {}) const {
        return props.value(key, fallback);
    }
    int IntProp(const QString& key, int fallback = 0) const;
    QList<int> IntListProp(const QString& key) const;
};

// The design data of the main window: the window block and the controls, bottom to top.
class DesignData {
public:
    bool Load(const QString& path, QString* error);
    bool Parse(const QString& text, QString* error);

    const std::vector<DesignControl>& Controls() const { return controls_; }
    const DesignControl* Find(const QString& name) const;
    const DesignControl& Get(const QString& name) const; // the control must exist
    QRectF RectPx(const QString& name) const { return Get(name).RectPx(); }
    QSize ClientSizeTwips() const { return clientSize_; }
    int BackPic() const { return backPic_; }

private:
    std::vector<DesignControl> controls_;
    QSize clientSize_;
    int backPic_ = 0;
};

// Reads "&H1F" as hexadecimal and anything else as decimal; false when it is no number.
bool ParseNumber(const QString& text, int* value);

constexpr double kTwipsPerPixel = 15.0;

} // namespace korva::skingen
