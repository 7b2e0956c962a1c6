#pragma once
// korva-ctl's command line: the command, its arguments and the options, checked before anything is opened.

#include "ctl/EqOptions.h"

#include <QString>
#include <QStringList>

namespace korva::ctl {

enum class Command { List, Backup, Restore, Verify, Diff, Get, Set, Eq };

// Exit codes, as documented in --help and the man page.
enum ExitCode : int {
    kExitOk = 0,
    kExitDifferences = 1, // verify, diff, a failed read-back
    kExitUsage = 2,       // usage or file error
    kExitDevice = 3,      // device or link failure
    // A signal ends a run with 128 + its number, as the shell reports a process it ended.
};

struct CtlOptions {
    Command command = Command::List;
    QString commandName;   // as typed: "restore"
    QStringList arguments; // after the command: files, names, NAME=VALUE
    QString devicePath;    // --device
    QString serial;        // --serial
    bool all = false;      // --all
    int demoCount = 0;     // --demo[=N]; 0 talks to real processors
    QString demoState;     // --demo-state DIR
    QString demoFaults;    // --demo-faults FAULTS
    bool json = false;
    QStringList remotes; // --remote URL (repeatable): through korvad, one room per URL
    QString tokenFile;   // --token-file FILE; otherwise KORVA_TOKEN
    QString caFile;      // --ca-file FILE: trusted besides the system's certificates
    int group = 0; // --group N (MODEL N), 0..7: the group of names given without g1. … g8.
    bool help = false;
    bool version = false;
    EqCommandLine eq; // eq import, match, fit, export
};

struct ParsedCommandLine {
    // On a refusal, what was read before it: the command's name, and --json wherever it was given.
    CtlOptions options;
    QString error; // why the command line is refused (Chinese); empty when accepted
    bool Ok() const { return error.isEmpty(); }
};

// args without the program name.
ParsedCommandLine ParseCommandLine(const QStringList& args);

// The commands that write to a processor: with several attached, one must be named.
bool ChangesDevice(Command command);
// The commands that need no processor.
bool NeedsDevice(Command command);

QString HelpText();

} // namespace korva::ctl
