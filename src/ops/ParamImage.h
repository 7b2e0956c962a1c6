#pragma once
// A whole parameter image as one value: the 8 groups and Common records and the menu table, what a read of
// the processor fills and a download or preset file carries. Preset files are read and written through
// the window's preset code; two images compare to a list of named differences.

#include "model/FileAccess.h"
#include "model/ParamStore.h"
#include "ops/ParamTable.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace korva {

struct ParamImage {
    ParamStore Store;
    MenuShowTable MenuShow{};

    // The factory values (what the window holds before it has read a processor).
    static ParamImage Defaults();
    static ParamImage Of(const ParamModel& model);
    // Store and menu table into the model; the selection and password stay.
    void ApplyTo(ParamModel& model) const;

    friend bool operator==(const ParamImage&, const ParamImage&) = default;
};

// One stored byte: DATA1..DATA3 (field 0..2) of an address in a group, or (Menu) entry address of the
// menu table.
struct ImageCell {
    int Group = 0;
    int Address = 0;
    int Field = 0;
    bool Menu = false;

    uint8_t Get(const ParamImage& image) const;
    void Set(ParamImage& image, uint8_t value) const;
    friend bool operator==(const ImageCell&, const ImageCell&) = default;
};

// Every byte the 25 blocks of a download carry, in block order (Common block first, then A, B, C of each
// group; DATA1, DATA2, DATA3 of each address).
const std::vector<ImageCell>& DownloadedCells();
// Every byte a read of the processor fills: the downloaded ones, then the menu table of the three group
// blocks.
const std::vector<ImageCell>& ReadCells();
// Every byte a preset file carries, in the order of its keys (each byte once).
const std::vector<ImageCell>& PresetCells();
// The bytes verify compares and restore puts back: those of the preset file that a download carries
// (the front-panel menu table travels with neither).
const std::vector<ImageCell>& RestoredCells();

// The parameter a byte belongs to (Def null for bytes without a name).
ParamRef ParamOfCell(const ImageCell& cell);
// "g3.mic12.eq3.freq"; unnamed bytes "g3.0x44.data2", Common ones "0xCE.data1", menu entries
// "menu.0x44".
QString CellName(const ImageCell& cell);
// The label with the group; for unnamed bytes "MODEL 3 地址 0x44 DATA2", "菜单显示 0x44".
QString CellLabel(const ImageCell& cell);
// A byte of the cell in user units ("1000 Hz"); unnamed bytes as their number.
QString FormatCellValue(const ImageCell& cell, uint8_t raw);

struct ImageDifference {
    ImageCell Cell;
    uint8_t Old = 0;
    uint8_t New = 0;
    QString Name;    // CellName
    QString Label;   // CellLabel
    QString OldText; // FormatCellValue
    QString NewText;
    // "g1.mic12.eq3.freq MODEL 1 话筒1-2 EQ3 频率: 1000 Hz → 1200 Hz"
    QString Describe() const;
};

// The bytes of cells that differ between the two images, in the order of cells.
std::vector<ImageDifference> CompareImages(const ParamImage& before, const ParamImage& after,
                                           const std::vector<ImageCell>& cells);

// The window's preset messages.
const QString& PresetNotPresetMessage();    // "您导入的文件不是指定的配置文件。"
const QString& PresetBadDataMessage();      // "导入的数据有错误！"
const QString& PresetExportFailedMessage(); // "保存配置文件失败！"

// Reads a preset file into image with the window's import rules: the whole file is checked first and the
// image stays untouched on any error; bytes the file does not carry keep their value in image. error gets
// the window's message ("您导入的文件不是指定的配置文件。" or "导入的数据有错误！") and the key or path.
bool LoadPresetImage(const QString& path, ParamImage& image, QString* error = nullptr);
// A preset whose downloaded bytes (DownloadedCells) include 253–255 (kFirstMarkerByte and up) would leave
// the processor unreadable: the link strips those bytes from every answer, so each later read of that block
// fails. False for such an image, with error naming the first such key in file order and its value; bytes
// a download does not carry (the menu table) are not checked.
bool PresetBytesDownloadable(const ParamImage& image, QString* error = nullptr);
// The same for the preset file at path. A file that cannot be read as a preset passes: its import refuses
// it with its own message.
bool PresetFileDownloadable(const QString& path, QString* error = nullptr);
// The window's import of a preset file into its model: the whole file is checked first (a preset, every
// value readable, PresetFileDownloadable), and only then applied. Empty on success, else the message for
// the user; on any error the model is untouched.
QString LoadPresetIntoModel(ParamModel& model, const QString& path);
// The strict reading of a preset file, for korva-ctl (restore, verify, diff): the window's import rules,
// and besides them a key written twice (both lines named), a value longer than the 249 characters the
// window reads (not cut) and a missing key (said so) are refused. Only a regular file is read (see
// ReadRegularFile). On failure image is untouched and error has the code (bad_file for the content) and
// the message "<path>：" followed by the window's text ("您导入的文件不是指定的配置文件。" or
// "导入的数据有错误！"), then the line and the reason.
bool LoadPresetImageStrict(const QString& path, ParamImage& image, FileError* error = nullptr);
// korva-ctl's backup: a fresh file holding exactly the image's preset (the keys, order and format 保存
// writes into an empty file), replacing path with ReplaceFile; an existing file is never read or merged.
bool WritePresetBackup(const ParamImage& image, const QString& path, FileError* error = nullptr);

// Writes the preset file the window's 保存 writes (same keys, order and format), replaced in one rename.
bool SavePresetImage(const ParamImage& image, const QString& path, QString* error = nullptr);
// The same from the window's own model.
bool SavePresetModel(const ParamModel& model, const QString& path, QString* error = nullptr);

} // namespace korva
