#pragma once
// The main window's design data, as the window builds itself from it and skingen draws the skin for it:
// which controls it has, where they sit (in twips, relative to their parent) and the properties they are
// created with. The text format:
//
//   # comment
//   [frmEQ]                      first block: ClientSize=<w>,<h> in twips, other window properties
//   [Name] or [Name(index)]      one block per control (or per member of a control array)
//   Type=SimpControl             SimpControl, ShowNumber, ScrollBar, C_ProgressBar, Frame, PictureBox,
//                                CheckBox, Label, TextBox or Timer
//   Rect=left,top,width,height   twips relative to the parent; every type but Timer has one
//   Parent=Frame2(1)             optional; a Frame or PictureBox block
//   Visible=0                    optional
//   Key=Value                    any other line is a property set by name when the control is created
//
// Whole numbers are decimal, or hexadecimal after "&H" ("&H1F"), wherever they stand.
//
// Parsing checks the structure only; property values are checked when the control is created, and both
// report the line they failed on.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

namespace korva {

struct DesignProperty {
    QString Key;
    QString Value;
    int Line = 0; // 1-based line of the text
};

enum class DesignType {
    SimpControl,
    ShowNumber,
    ScrollBar,
    C_ProgressBar,
    Frame,
    PictureBox,
    CheckBox,
    Label,
    TextBox,
    Timer,
};

std::optional<DesignType> DesignTypeFromName(const QString& name);
QString DesignTypeName(DesignType type);

struct DesignControl {
    QString Name;   // the control (array) name, "MyScrollBar"
    int Index = -1; // the array index, or -1 for a single control
    DesignType Type = DesignType::SimpControl;
    std::optional<QRect> Rect; // twips, relative to the parent; none for timers
    QString Parent;            // object name of the parent block, empty for the window itself
    int ParentLine = 0;
    bool Visible = true;
    std::vector<DesignProperty> Properties; // in file order
    int Line = 0;                           // line of the block header

    // "MyScrollBar(17)" for an array member, "btnClose" otherwise.
    QString ObjectName() const;
    const DesignProperty* Property(const QString& key) const;
    // The text of a key, or `fallback` when the block has none.
    QString PropertyValue(const QString& key, const QString& fallback = {}) const;
    // The whole number a key holds, or `fallback` when the key is missing or holds no number.
    int IntProperty(const QString& key, int fallback = 0) const;
    // The numbers of a comma-separated key ("Pics=110,111"), leaving out items that are no number.
    QList<int> IntListProperty(const QString& key) const;
};

struct DesignForm {
    QString Name;                           // "frmEQ"
    QSize ClientSize;                       // twips
    int BackPic = 0;                        // skin number of the window background, 0 for none
    std::vector<DesignProperty> Properties; // the window block's other keys
    std::vector<DesignControl> Controls;    // in file order; parents may follow their children

    const DesignControl* Find(const QString& objectName) const;
};

// Object name of an array member: "btnMode(3)".
QString ArrayMemberName(const QString& name, int index);

// Parses design data. On failure returns std::nullopt and, when error is given, a message in Chinese that
// names the line ("第 12 行：...").
std::optional<DesignForm> ParseDesignData(const QString& text, QString* error = nullptr);
// Reads design data from a UTF-8 file; fails as ParseDesignData does, or when the file cannot be read.
std::optional<DesignForm> ReadDesignFile(const QString& path, QString* error = nullptr);

// The message form used for every design-data error.
QString DesignLineError(int line, const QString& why);

} // namespace korva
