// Preset file export and import of the whole parameter memory (1566 keys).
#include "BenchRegistry.h"

#include "model/ParamDefaults.h"
#include "model/PresetFile.h"

#include <QFile>
#include <QTemporaryDir>

KORVA_BENCH(preset_files) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.PA");
    korva::ParamModel model;
    korva::InitParamDefaults(model, false);
    const double exportUs = korva::bench::MedianMicros(21, [&] {
        QFile::remove(path);
        korva::ExportPresetFile(model, path);
    });
    r.Figure("preset_export_ms", exportUs / 1000.0, "ms");
    const double importUs = korva::bench::MedianMicros(21, [&] { korva::ImportPresetFile(model, path); });
    r.Figure("preset_import_ms", importUs / 1000.0, "ms");

    // Over a file that has only the type in [Main] and another section after it: every key of the
    // export is new and goes in before that section.
    const double existingUs = korva::bench::MedianMicros(21, [&] {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write("[Main]\r\nType=ZUL001\r\n\r\n[Notes]\r\nBy=installer\r\n");
        }
        file.close();
        korva::ExportPresetFile(model, path);
    });
    r.Figure("preset_export_existing_ms", existingUs / 1000.0, "ms");
}
