// Arbitrary bytes as a preset file: the import must never crash, must leave the model untouched unless it
// accepts the whole file, and whatever it accepts must survive an export into the same file and a second
// import unchanged.
#include "FuzzSupport.h"

#include "model/ParamDefaults.h"
#include "model/PresetFile.h"

using namespace korva;

namespace {

bool SameData(const ParamModel& a, const ParamModel& b) {
    return a.Store == b.Store && a.MenuShow == b.MenuShow;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::WriteScratchFile(data, size, QStringLiteral("input.PA"));
    ParamModel defaults;
    InitParamDefaults(defaults, false);

    ParamModel model = defaults;
    const PresetImportResult result = ImportPresetFile(model, path);
    if (result.status != PresetImportResult::Status::Ok) {
        fuzz::Check(SameData(model, defaults), "a refused import changed the model");
        fuzz::Check(result.status == PresetImportResult::Status::NotPresetFile || !result.badKey.isEmpty(),
                    "bad data without the key that was bad");
        return 0;
    }

    // Export into the fuzzed file itself: keys it already holds are updated in place, the rest stays.
    if (!ExportPresetFile(model, path).ok) {
        return 0;
    }
    ParamModel again = defaults;
    fuzz::Check(ImportPresetFile(again, path).status == PresetImportResult::Status::Ok,
                "an exported file was refused");
    fuzz::Check(SameData(again, model), "export then import changed the data");
    return 0;
}
