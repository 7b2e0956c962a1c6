#include "DesignData.h"

#include <QFile>
#include <QStringConverter>
#include <QTextStream>

#include <stdexcept>

namespace korva::skingen {

bool ParseNumber(const QString& text, int* value) {
    const QString t = text.trimmed();
    bool ok = false;
    const int v =
        t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok);
    if (ok) {
        *value = v;
    }
    return ok;
}

QRectF DesignControl::RectPx() const {
    return QRectF(rectTwips.x() / kTwipsPerPixel, rectTwips.y() / kTwipsPerPixel,
                  rectTwips.width() / kTwipsPerPixel, rectTwips.height() / kTwipsPerPixel);
}

int DesignControl::IntProp(const QString& key, int fallback) const {
    int v = fallback;
    return ParseNumber(Prop(key), &v) ? v : fallback;
}

QList<int> DesignControl::IntListProp(const QString& key) const {
    QList<int> values;
    for (const QString& item : Prop(key).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        int v = 0;
        if (ParseNumber(item, &v)) {
            values.append(v);
        }
    }
    return values;
}

bool DesignData::Load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    return Parse(in.readAll(), error);
}

namespace {

bool ParseRect(const QString& text, QRect* rect) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) {
        return false;
    }
    int v[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!ParseNumber(parts[i], &v[i])) {
            return false;
        }
    }
    *rect = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

} // namespace

bool DesignData::Parse(const QString& text, QString* error) {
    controls_.clear();
    bool inWindow = false;
    int lineNo = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2);
            inWindow = name == QLatin1String("frmEQ");
            if (!inWindow) {
                if (Find(name) != nullptr) {
                    *error = QStringLiteral("line %1: control %2 appears twice").arg(lineNo).arg(name);
                    return false;
                }
                controls_.push_back(DesignControl{});
                controls_.back().name = name;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || (!inWindow && controls_.empty())) {
            *error = QStringLiteral("line %1: expected Key=Value inside a block").arg(lineNo);
            return false;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = raw.mid(raw.indexOf(QLatin1Char('=')) + 1).trimmed();
        if (inWindow) {
            QRect r;
            if (key == QLatin1String("ClientSize") && ParseRect(value + QStringLiteral(",0,0"), &r)) {
                clientSize_ = QSize(r.x(), r.y());
            } else if (key == QLatin1String("BackPic")) {
                ParseNumber(value, &backPic_);
            }
            continue;
        }
        DesignControl& c = controls_.back();
        if (key == QLatin1String("Type")) {
            c.type = value;
        } else if (key == QLatin1String("Parent")) {
            c.parent = value;
        } else if (key == QLatin1String("Visible")) {
            c.visible = value != QLatin1String("0");
        } else if (key == QLatin1String("Rect")) {
            if (!ParseRect(value, &c.rectTwips)) {
                *error = QStringLiteral("line %1: bad Rect").arg(lineNo);
                return false;
            }
            c.hasRect = true;
        } else {
            c.props.insert(key, value);
        }
    }
    return true;
}

const DesignControl* DesignData::Find(const QString& name) const {
    for (const DesignControl& c : controls_) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

const DesignControl& DesignData::Get(const QString& name) const {
    const DesignControl* c = Find(name);
    if (c == nullptr) {
        throw std::runtime_error("design data has no control " + name.toStdString());
    }
    return *c;
}

} // namespace korva::skingen
