#pragma once
// Helpers shared by the libFuzzer targets: a scratch file for APIs that read from disk, and a check that
// turns a broken invariant into a crash libFuzzer records with its input.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace korva::fuzz {

// Writes the bytes to a file in the target's private scratch folder and returns its path. The folder
// lives for the whole fuzzing run; every call overwrites the same file.
QString WriteScratchFile(const uint8_t* data, size_t size, const QString& name);

// Reads a file back whole (empty when it cannot be read).
QByteArray ReadWholeFile(const QString& path);

// Aborts with the message when the condition does not hold.
void Check(bool condition, const char* what);

} // namespace korva::fuzz
