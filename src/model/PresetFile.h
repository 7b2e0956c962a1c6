#pragma once
// Preset files (*.PA): the parameter memory as INI text in section "Main", tagged Type=ZUL001.

#include "FileAccess.h"
#include "ParamStore.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace korva {

extern const QString kPresetTypeValue; // "ZUL001"

// Where one preset key lives in the model.
struct PresetKey {
    enum class Target { Type, Data1, Data2, Data3, Menu };
    QString name;
    Target target = Target::Data1;
    int group = 0;
    int address = 0;
};

// Every key of a preset file in the order a new file receives them (1566 keys, "Type" first). Cut
// addresses appear twice per group: the second write updates the first key in place.
const std::vector<PresetKey>& PresetKeyOrder();

// The value a key carries for the model ("ZUL001" for Type).
QString PresetKeyValue(const ParamModel& model, const PresetKey& key);

// A preset file written fresh: the keys, order and format ExportPresetFile writes into an empty file.
QByteArray PresetFileText(const ParamModel& model);

struct PresetExportResult {
    bool ok = false;
    QString error; // why the file could not be written
};

// Writes the model into the file: keys an existing file already holds are updated in place, keys this
// export does not write stay, and the file is replaced in one rename (never left half-written).
PresetExportResult ExportPresetFile(const ParamModel& model, const QString& path);

struct PresetImportResult {
    enum class Status { Ok, NotPresetFile, BadData };
    Status status = Status::NotPresetFile;
    QString badKey; // the first key that was missing or invalid
    FileError read; // set when the file could not be read at all (the window says NotPresetFile then)
    QString detail; // the strict reading's line and reason ("第 12 行：…", "缺少键 …")
};

// The window reads a preset as the profile functions would: the first of two equal keys wins and a value
// is cut at 249 characters. The strict reading refuses both, and says where and why.
enum class PresetReading { Window, Strict };

// Reads and checks the whole file before anything is applied: on any error the model is untouched.
PresetImportResult ImportPresetFile(ParamModel& model, const QString& path,
                                    PresetReading reading = PresetReading::Window);

// A preset value: trimmed decimal 0..255.
std::optional<uint8_t> ParsePresetByte(const QString& text);

// Adds ".PA" unless the name already ends in ".pa" in any letter case.
QString WithPresetExtension(const QString& name);

} // namespace korva
