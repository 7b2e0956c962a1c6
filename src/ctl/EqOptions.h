#pragma once
// The eq commands' part of the command line: which of them (import, match, fit, export), the file it reads
// and the options that only they take, checked before anything is opened.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korva::ctl {

enum class EqAction { Import, Match, Fit, Export };

struct EqCommandLine {
    EqAction Action = EqAction::Export;
    QString File;       // import, match, fit: the filter text, curve or measurement
    QString Channel;    // --channel CH, as typed
    QString Preset;     // --preset IN.PA: work on a copy of the file, nothing sent
    QString Out;        // --out OUT.PA
    QString Target;     // fit: --target T.txt
    bool DryRun = false; // --dry-run
    bool Cuts = false;   // --cuts
    std::optional<double> MaxBoostDb; // fit: --max-boost DB
    std::optional<double> FromHz;     // --from HZ
    std::optional<double> ToHz;       // --to HZ
    QString Format;     // export: --format rew|apo ("" is rew)

    // Some option of the eq commands was given.
    bool Given() const;
    // The command writes to a processor (not export, not --dry-run, not on a preset file).
    bool WritesProcessor() const { return Action != EqAction::Export && !DryRun && Preset.isEmpty(); }
};

// An option only the eq commands take: true when name is one (consumed, with its value through
// takeValue); *error says why its value is refused.
bool TakeEqOption(const QString& name, bool hasInlineValue, const std::function<std::optional<QString>()>& takeValue,
                  EqCommandLine& eq, QString* error);

// The arguments after "eq": the action and its file, and the options that must or must not go together.
// Empty when they are accepted, else why not (Chinese). selectsProcessor: --device, --serial or --all.
// commandName becomes "eq import" (the command as scripts see it) once the action is known.
QString CheckEqArguments(const QStringList& arguments, bool selectsProcessor, EqCommandLine& eq,
                         QString& commandName);

} // namespace korva::ctl
