#include "ops/ParamImage.h"

#include "link/BulkTransfer.h"
#include "link/FrameProtocol.h"
#include "model/ParamDefaults.h"
#include "model/PresetFile.h"
#include "ops/ParamUnits.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace korva {

namespace {

std::vector<ImageCell> CellsOfBlocks(const std::vector<BulkBlock>& blocks) {
    std::vector<ImageCell> cells;
    for (const BulkBlock& b : blocks) {
        const bool menu = b.Command == kCmdReadMenuBlock;
        for (int i = 0; i < BlockRecordCount(b.FirstAddress); ++i) {
            for (int field = 0; field < (menu ? 1 : 3); ++field) {
                cells.push_back({b.Group, b.FirstAddress + i, field, menu});
            }
        }
    }
    return cells;
}

// The byte a preset key names; none for the type key.
std::optional<ImageCell> CellOfKey(const PresetKey& key) {
    ImageCell cell{key.group, key.address, 0, false};
    switch (key.target) {
    case PresetKey::Target::Type:
        return std::nullopt;
    case PresetKey::Target::Data2:
        cell.Field = 1;
        break;
    case PresetKey::Target::Data3:
        cell.Field = 2;
        break;
    case PresetKey::Target::Menu:
        cell.Menu = true;
        break;
    case PresetKey::Target::Data1:
        break;
    }
    return cell;
}

struct KeyedCell {
    QString Key;
    ImageCell Cell;
};

// The preset keys whose byte a download carries, in the order of the keys.
const std::vector<KeyedCell>& DownloadedPresetKeys() {
    static const std::vector<KeyedCell> keys = [] {
        const std::vector<ImageCell>& downloaded = DownloadedCells();
        std::vector<KeyedCell> list;
        for (const PresetKey& key : PresetKeyOrder()) {
            const std::optional<ImageCell> cell = CellOfKey(key);
            if (cell && std::find(downloaded.begin(), downloaded.end(), *cell) != downloaded.end()) {
                list.push_back({key.name, *cell});
            }
        }
        return list;
    }();
    return keys;
}

ParamModel ModelOf(const ParamImage& image) {
    ParamModel model;
    image.ApplyTo(model);
    return model;
}

} // namespace

const QString& PresetNotPresetMessage() {
    static const QString text = QStringLiteral("您导入的文件不是指定的配置文件。");
    return text;
}

const QString& PresetBadDataMessage() {
    static const QString text = QStringLiteral("导入的数据有错误！");
    return text;
}

const QString& PresetExportFailedMessage() {
    static const QString text = QStringLiteral("保存配置文件失败！");
    return text;
}

ParamImage ParamImage::Defaults() {
    ParamModel model;
    InitParamDefaults(model, false);
    return Of(model);
}

ParamImage ParamImage::Of(const ParamModel& model) {
    return {model.Store, model.MenuShow};
}

void ParamImage::ApplyTo(ParamModel& model) const {
    model.Store = Store;
    model.MenuShow = MenuShow;
}

uint8_t ImageCell::Get(const ParamImage& image) const {
    if (Menu) {
        return image.MenuShow[size_t(Address)];
    }
    return image.Store.at(Group, Address).Field(Field);
}

void ImageCell::Set(ParamImage& image, uint8_t value) const {
    if (Menu) {
        image.MenuShow[size_t(Address)] = value;
        return;
    }
    image.Store.at(Group, Address).Field(Field) = value;
}

const std::vector<ImageCell>& DownloadedCells() {
    static const std::vector<ImageCell> cells = CellsOfBlocks(BulkTransfer::DownloadBlocks());
    return cells;
}

const std::vector<ImageCell>& ReadCells() {
    static const std::vector<ImageCell> cells = CellsOfBlocks(BulkTransfer::ReadBlocks());
    return cells;
}

const std::vector<ImageCell>& PresetCells() {
    static const std::vector<ImageCell> cells = [] {
        std::vector<ImageCell> list;
        for (const PresetKey& key : PresetKeyOrder()) {
            const std::optional<ImageCell> cell = CellOfKey(key);
            // The cut filters' keys come twice per group; the byte counts once.
            if (cell && std::find(list.begin(), list.end(), *cell) == list.end()) {
                list.push_back(*cell);
            }
        }
        return list;
    }();
    return cells;
}

const std::vector<ImageCell>& RestoredCells() {
    static const std::vector<ImageCell> cells = [] {
        std::vector<ImageCell> restored;
        for (const ImageCell& cell : PresetCells()) {
            if (!cell.Menu) {
                restored.push_back(cell);
            }
        }
        return restored;
    }();
    return cells;
}

ParamRef ParamOfCell(const ImageCell& cell) {
    if (cell.Menu) {
        return {};
    }
    const ParamDef* def = FindParamAt(uint8_t(cell.Address), cell.Field);
    // A Common parameter lives in group 0 only; the same address in another group is an unused byte.
    if (def && def->Scope == ParamScope::Common && cell.Group != 0) {
        def = nullptr;
    }
    return {def, cell.Group};
}

QString CellName(const ImageCell& cell) {
    if (cell.Menu) {
        return QStringLiteral("menu.") + HexAddress(cell.Address);
    }
    const ParamRef ref = ParamOfCell(cell);
    if (ref.Def) {
        return QualifiedName(ref);
    }
    const QString bare = QStringLiteral("%1.data%2").arg(HexAddress(cell.Address)).arg(cell.Field + 1);
    return cell.Address >= kFirstCommonAddress && cell.Group == 0
               ? bare
               : QStringLiteral("g%1.").arg(cell.Group + 1) + bare;
}

QString CellLabel(const ImageCell& cell) {
    if (cell.Menu) {
        return QStringLiteral("菜单显示 ") + HexAddress(cell.Address);
    }
    const ParamRef ref = ParamOfCell(cell);
    if (ref.Def) {
        return QualifiedLabel(ref);
    }
    const QString bare = QStringLiteral("地址 %1 DATA%2").arg(HexAddress(cell.Address)).arg(cell.Field + 1);
    return cell.Address >= kFirstCommonAddress && cell.Group == 0
               ? bare
               : QStringLiteral("MODEL %1 ").arg(cell.Group + 1) + bare;
}

QString FormatCellValue(const ImageCell& cell, uint8_t raw) {
    const ParamRef ref = ParamOfCell(cell);
    return ref.Def ? FormatParamRaw(*ref.Def, raw) : QString::number(raw);
}

QString ImageDifference::Describe() const {
    return QStringLiteral("%1 %2: %3 → %4").arg(Name, Label, OldText, NewText);
}

std::vector<ImageDifference> CompareImages(const ParamImage& before, const ParamImage& after,
                                           const std::vector<ImageCell>& cells) {
    std::vector<ImageDifference> diffs;
    for (const ImageCell& cell : cells) {
        const uint8_t a = cell.Get(before);
        const uint8_t b = cell.Get(after);
        if (a != b) {
            diffs.push_back({cell, a, b, CellName(cell), CellLabel(cell), FormatCellValue(cell, a),
                             FormatCellValue(cell, b)});
        }
    }
    return diffs;
}

bool LoadPresetImage(const QString& path, ParamImage& image, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    if (!QFileInfo(path).isFile()) {
        return fail(QStringLiteral("找不到配置文件：%1").arg(QDir::toNativeSeparators(path)));
    }
    ParamModel model = ModelOf(image);
    const PresetImportResult result = ImportPresetFile(model, path);
    switch (result.status) {
    case PresetImportResult::Status::NotPresetFile:
        return fail(PresetNotPresetMessage());
    case PresetImportResult::Status::BadData:
        return fail(PresetBadDataMessage() + QStringLiteral("（%1）").arg(result.badKey));
    case PresetImportResult::Status::Ok:
        break;
    }
    image = ParamImage::Of(model);
    return true;
}

bool LoadPresetImageStrict(const QString& path, ParamImage& image, FileError* error) {
    ParamModel model = ModelOf(image);
    const PresetImportResult result = ImportPresetFile(model, path, PresetReading::Strict);
    if (result.status == PresetImportResult::Status::Ok) {
        image = ParamImage::Of(model);
        return true;
    }
    if (error) {
        const QString& window = result.status == PresetImportResult::Status::BadData ? PresetBadDataMessage()
                                                                                      : PresetNotPresetMessage();
        *error = result.read.Failed() ? result.read
                                      : FileError::For(FileErrorCode::BadFile, path, window + result.detail);
    }
    return false;
}

bool WritePresetBackup(const ParamImage& image, const QString& path, FileError* error) {
    return ReplaceFile(path, PresetFileText(ModelOf(image)), error);
}

bool PresetBytesDownloadable(const ParamImage& image, QString* error) {
    for (const KeyedCell& keyed : DownloadedPresetKeys()) {
        const uint8_t value = keyed.Cell.Get(image);
        if (value >= kFirstMarkerByte) {
            if (error) {
                *error = QStringLiteral("配置文件中 %1=%2 不能写入处理器：253–255 是通信的帧标记字节，"
                                        "写入后处理器的数据将无法再读回。")
                             .arg(keyed.Key)
                             .arg(value);
            }
            return false;
        }
    }
    return true;
}

bool PresetFileDownloadable(const QString& path, QString* error) {
    ParamImage image;
    return !LoadPresetImage(path, image) || PresetBytesDownloadable(image, error);
}

// The file is read once: into a copy of the model, which replaces the model only when every check passed.
QString LoadPresetIntoModel(ParamModel& model, const QString& path) {
    ParamModel loaded = model;
    switch (ImportPresetFile(loaded, path).status) {
    case PresetImportResult::Status::NotPresetFile:
        return PresetNotPresetMessage();
    case PresetImportResult::Status::BadData:
        return PresetBadDataMessage();
    case PresetImportResult::Status::Ok:
        break;
    }
    if (QString refusal; !PresetBytesDownloadable(ParamImage::Of(loaded), &refusal)) {
        return refusal;
    }
    model = loaded;
    return {};
}

bool SavePresetImage(const ParamImage& image, const QString& path, QString* error) {
    return SavePresetModel(ModelOf(image), path, error);
}

bool SavePresetModel(const ParamModel& model, const QString& path, QString* error) {
    const PresetExportResult result = ExportPresetFile(model, path);
    if (!result.ok && error) {
        *error = PresetExportFailedMessage() + u'\n' + QDir::toNativeSeparators(path) + u'\n' + result.error;
    }
    return result.ok;
}

} // namespace korva
