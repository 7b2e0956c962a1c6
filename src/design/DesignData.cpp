#include "DesignData.h"

#include "model/ListText.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <utility>

namespace korva {

namespace {

struct TypeName {
    DesignType Type;
    const char* Name;
};

constexpr std::array<TypeName, 10> kTypeNames{{
    {DesignType::SimpControl, "SimpControl"},
    {DesignType::ShowNumber, "ShowNumber"},
    {DesignType::ScrollBar, "ScrollBar"},
    {DesignType::C_ProgressBar, "C_ProgressBar"},
    {DesignType::Frame, "Frame"},
    {DesignType::PictureBox, "PictureBox"},
    {DesignType::CheckBox, "CheckBox"},
    {DesignType::Label, "Label"},
    {DesignType::TextBox, "TextBox"},
    {DesignType::Timer, "Timer"},
}};

// What a block looked like before its keys were interpreted.
struct RawBlock {
    QString Name;
    int Index = -1;
    int Line = 0;
    std::vector<DesignProperty> Keys;
};

// `count` numbers, each decimal or "&H" hexadecimal.
std::optional<std::vector<int>> ParseIntList(const QString& text, size_t count) {
    std::optional<std::vector<int>> values = ParseListText(text);
    if (!values || values->size() != count) {
        return std::nullopt;
    }
    return values;
}

class Parser {
public:
    explicit Parser(QString* error) : error_(error) {}

    std::optional<DesignForm> Parse(const QString& text) {
        if (!SplitBlocks(text)) {
            return std::nullopt;
        }
        if (blocks_.empty()) {
            return Fail(0, QStringLiteral("设计数据为空，至少需要窗体块"));
        }
        DesignForm form;
        if (!ReadForm(blocks_.front(), form)) {
            return std::nullopt;
        }
        for (size_t i = 1; i < blocks_.size(); ++i) {
            DesignControl control;
            if (!ReadControl(blocks_[i], control)) {
                return std::nullopt;
            }
            form.Controls.push_back(std::move(control));
        }
        if (!CheckNames(form) || !CheckParents(form)) {
            return std::nullopt;
        }
        return form;
    }

private:
    std::nullopt_t Fail(int line, const QString& why) {
        if (error_) {
            *error_ = line > 0 ? DesignLineError(line, why) : QStringLiteral("设计数据错误：%1").arg(why);
        }
        return std::nullopt;
    }

    bool SplitBlocks(const QString& text) {
        static const QRegularExpression header(
            QStringLiteral(R"(^\[([A-Za-z_][A-Za-z0-9_]*)(?:\((\d+)\))?\]$)"));
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int lineNo = int(i) + 1;
            const QString line = lines[i].trimmed();
            if (line.isEmpty() || line.startsWith(u'#')) {
                continue;
            }
            if (line.startsWith(u'[')) {
                const QRegularExpressionMatch m = header.match(line);
                if (!m.hasMatch()) {
                    Fail(lineNo, QStringLiteral("块头“%1”应为 [名称] 或 [名称(序号)]").arg(line));
                    return false;
                }
                RawBlock block;
                block.Name = m.captured(1);
                block.Line = lineNo;
                if (m.capturedLength(2) > 0) {
                    bool ok = false;
                    block.Index = m.captured(2).toInt(&ok);
                    if (!ok) {
                        Fail(lineNo, QStringLiteral("序号“%1”太大").arg(m.captured(2)));
                        return false;
                    }
                }
                blocks_.push_back(std::move(block));
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0) {
                Fail(lineNo, QStringLiteral("无法识别“%1”：应为 键=值 或 [名称]").arg(line));
                return false;
            }
            const QString key = line.left(eq).trimmed();
            if (key.isEmpty()) {
                Fail(lineNo, QStringLiteral("“%1”缺少键名").arg(line));
                return false;
            }
            if (blocks_.empty()) {
                Fail(lineNo, QStringLiteral("“%1”出现在第一个块之前").arg(key));
                return false;
            }
            RawBlock& block = blocks_.back();
            for (const DesignProperty& p : block.Keys) {
                if (p.Key == key) {
                    Fail(lineNo, QStringLiteral("键“%1”在同一块中重复（第 %2 行）").arg(key).arg(p.Line));
                    return false;
                }
            }
            block.Keys.push_back({key, line.mid(eq + 1).trimmed(), lineNo});
        }
        return true;
    }

    bool ReadForm(const RawBlock& block, DesignForm& form) {
        if (block.Index >= 0) {
            Fail(block.Line, QStringLiteral("第一个块应是窗体，不能带序号"));
            return false;
        }
        form.Name = block.Name;
        bool haveSize = false;
        for (const DesignProperty& p : block.Keys) {
            if (p.Key == u"ClientSize") {
                const auto v = ParseIntList(p.Value, 2);
                if (!v || (*v)[0] <= 0 || (*v)[1] <= 0) {
                    Fail(p.Line, QStringLiteral("ClientSize 应为两个正整数：宽,高（缇）"));
                    return false;
                }
                form.ClientSize = QSize((*v)[0], (*v)[1]);
                haveSize = true;
            } else if (p.Key == u"BackPic") {
                const std::optional<int> number = ParseListNumber(p.Value);
                form.BackPic = number.value_or(-1);
                if (form.BackPic < 0) {
                    Fail(p.Line, QStringLiteral("BackPic 应为图片编号"));
                    return false;
                }
            } else {
                form.Properties.push_back(p);
            }
        }
        if (!haveSize) {
            Fail(block.Line, QStringLiteral("窗体“%1”缺少 ClientSize").arg(form.Name));
            return false;
        }
        return true;
    }

    bool ReadControl(const RawBlock& block, DesignControl& control) {
        control.Name = block.Name;
        control.Index = block.Index;
        control.Line = block.Line;
        const DesignProperty* typeKey = nullptr;
        const DesignProperty* rectKey = nullptr;
        for (const DesignProperty& p : block.Keys) {
            if (p.Key == u"Type") {
                typeKey = &p;
            } else if (p.Key == u"Rect") {
                rectKey = &p;
            } else if (p.Key == u"Parent") {
                control.Parent = p.Value;
                control.ParentLine = p.Line;
                if (control.Parent.isEmpty()) {
                    Fail(p.Line, QStringLiteral("Parent 不能为空"));
                    return false;
                }
            } else if (p.Key == u"Visible") {
                if (p.Value != u"0" && p.Value != u"1") {
                    Fail(p.Line, QStringLiteral("Visible 只能是 0 或 1"));
                    return false;
                }
                control.Visible = p.Value == u"1";
            } else {
                control.Properties.push_back(p);
            }
        }
        const QString name = control.ObjectName();
        if (!typeKey) {
            Fail(block.Line, QStringLiteral("控件“%1”缺少 Type").arg(name));
            return false;
        }
        const std::optional<DesignType> type = DesignTypeFromName(typeKey->Value);
        if (!type) {
            Fail(typeKey->Line, QStringLiteral("未知的控件类型“%1”").arg(typeKey->Value));
            return false;
        }
        control.Type = *type;
        if (control.Type == DesignType::Timer) {
            if (rectKey) {
                Fail(rectKey->Line, QStringLiteral("计时器“%1”不占位置，不能有 Rect").arg(name));
                return false;
            }
            if (!control.Parent.isEmpty()) {
                Fail(block.Line, QStringLiteral("计时器“%1”不能有 Parent").arg(name));
                return false;
            }
            return true;
        }
        if (!rectKey) {
            Fail(block.Line, QStringLiteral("控件“%1”缺少 Rect").arg(name));
            return false;
        }
        const auto v = ParseIntList(rectKey->Value, 4);
        if (!v) {
            Fail(rectKey->Line, QStringLiteral("Rect 应为四个整数：左,上,宽,高（缇）"));
            return false;
        }
        if ((*v)[2] < 0 || (*v)[3] < 0) {
            Fail(rectKey->Line, QStringLiteral("Rect 的宽和高不能为负数"));
            return false;
        }
        control.Rect = QRect((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
        return true;
    }

    bool CheckNames(const DesignForm& form) {
        QHash<QString, int> objectLines; // object name -> line
        QHash<QString, bool> isArray;    // control name -> declared with an index
        for (const DesignControl& c : form.Controls) {
            const QString objectName = c.ObjectName();
            if (c.Name == form.Name) {
                Fail(c.Line, QStringLiteral("控件不能与窗体同名“%1”").arg(c.Name));
                return false;
            }
            if (objectLines.contains(objectName)) {
                Fail(c.Line, QStringLiteral("控件“%1”重复定义（第 %2 行）")
                                 .arg(objectName)
                                 .arg(objectLines[objectName]));
                return false;
            }
            const bool array = c.Index >= 0;
            if (isArray.contains(c.Name) && isArray[c.Name] != array) {
                Fail(c.Line, QStringLiteral("“%1”不能既是控件数组又是单个控件").arg(c.Name));
                return false;
            }
            isArray[c.Name] = array;
            objectLines[objectName] = c.Line;
        }
        return true;
    }

    bool CheckParents(const DesignForm& form) {
        for (const DesignControl& c : form.Controls) {
            if (c.Parent.isEmpty()) {
                continue;
            }
            const int line = c.ParentLine;
            const DesignControl* parent = form.Find(c.Parent);
            if (!parent) {
                Fail(line, QStringLiteral("父控件“%1”不存在").arg(c.Parent));
                return false;
            }
            if (parent->Type != DesignType::Frame && parent->Type != DesignType::PictureBox) {
                Fail(line, QStringLiteral("父控件“%1”不是 Frame 或 PictureBox").arg(c.Parent));
                return false;
            }
            // Follow the chain; a chain longer than the number of controls must loop.
            const DesignControl* step = parent;
            for (size_t hops = 0; step && !step->Parent.isEmpty(); ++hops) {
                if (hops > form.Controls.size()) {
                    Fail(line, QStringLiteral("“%1”的父控件关系构成循环").arg(c.ObjectName()));
                    return false;
                }
                step = form.Find(step->Parent);
            }
        }
        return true;
    }

    QString* error_;
    std::vector<RawBlock> blocks_;
};

} // namespace

std::optional<DesignType> DesignTypeFromName(const QString& name) {
    for (const TypeName& t : kTypeNames) {
        if (name == QLatin1String(t.Name)) {
            return t.Type;
        }
    }
    return std::nullopt;
}

QString DesignTypeName(DesignType type) {
    for (const TypeName& t : kTypeNames) {
        if (t.Type == type) {
            return QLatin1String(t.Name);
        }
    }
    return {};
}

QString ArrayMemberName(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QString DesignControl::ObjectName() const {
    return Index >= 0 ? ArrayMemberName(Name, Index) : Name;
}

const DesignProperty* DesignControl::Property(const QString& key) const {
    for (const DesignProperty& p : Properties) {
        if (p.Key == key) {
            return &p;
        }
    }
    return nullptr;
}

QString DesignControl::PropertyValue(const QString& key, const QString& fallback) const {
    const DesignProperty* p = Property(key);
    return p ? p->Value : fallback;
}

int DesignControl::IntProperty(const QString& key, int fallback) const {
    const DesignProperty* p = Property(key);
    return p ? ParseListNumber(p->Value).value_or(fallback) : fallback;
}

QList<int> DesignControl::IntListProperty(const QString& key) const {
    QList<int> numbers;
    for (const QString& item : PropertyValue(key).split(u',')) {
        if (const std::optional<int> n = ParseListNumber(item)) {
            numbers.append(*n);
        }
    }
    return numbers;
}

const DesignControl* DesignForm::Find(const QString& objectName) const {
    for (const DesignControl& c : Controls) {
        // The name first: skingen looks controls up by the thousand, and an array member's object name is
        // made on each call.
        if (objectName.startsWith(c.Name) && c.ObjectName() == objectName) {
            return &c;
        }
    }
    return nullptr;
}

QString DesignLineError(int line, const QString& why) {
    return QStringLiteral("设计数据第 %1 行：%2").arg(line).arg(why);
}

std::optional<DesignForm> ParseDesignData(const QString& text, QString* error) {
    return Parser(error).Parse(text);
}

std::optional<DesignForm> ReadDesignFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("无法读取设计数据 %1：%2").arg(path, file.errorString());
        }
        return std::nullopt;
    }
    return ParseDesignData(QString::fromUtf8(file.readAll()), error);
}

} // namespace korva
