#pragma once
// Every parameter the window edits, by name: a short ASCII name, the window's Chinese label, where its byte
// lives, its range and unit, and how the window sends a change of it. The window, the command line and
// the image comparison all read parameters through this one table.
//
// Names of Group parameters carry no group; a qualified name puts the parameter group in front as g1. …
// g8. (MODEL 1 … MODEL 8): "g3.mic12.eq3.freq". Common parameters have no group and never take a prefix.

#include "eq/EqScales.h"
#include "model/ParamStore.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace korva {

enum class ParamScope { Group, Common };

// How a user value relates to the stored byte.
enum class ParamUnit {
    Steps,  // the byte itself (plus UserOffset), a whole number
    Hz,     // frequency index (FreqIndexToHz)
    Db,     // gain index (GainIndexToDb)
    Q,      // Q index (QIndexToQ)
    Ms,     // echo delay index (EchoDelayTable)
    Choice, // the byte is the index of one of Choices
};

// How the window sends a change of the parameter to the processor.
enum class ParamSend {
    Value,        // single-parameter write carrying the new byte (frame holds value, 0, 0)
    WholeRecord,  // single-parameter write carrying the stored record (DATA1, DATA2, DATA3)
    DownloadOnly, // never sent on its own: it reaches the processor only with 写入设备
};

struct ParamDef {
    QString Name;  // "mic12.eq3.freq"
    QString Label; // "话筒1-2 EQ3 频率"
    ParamScope Scope = ParamScope::Group;
    uint8_t Address = 0;
    int Field = 0; // 0, 1, 2: DATA1, DATA2, DATA3
    ParamUnit Unit = ParamUnit::Steps;
    int RawMin = 0; // the control's range, in stored bytes
    int RawMax = 255;
    int UserOffset = 0; // Steps: user value = byte + UserOffset (input 1 … 7 for bytes 0 … 6)
    QStringList Choices;
    ParamSend Send = ParamSend::Value;
    int Channel = -1; // the EQ channel of a band, cut filter or bypass; -1 otherwise
    EqPointKind Kind = EqPointKind::Peak; // band or cut filter (Hz parameters)
};

// The whole table, in a fixed order: master volumes, effect panel, volume panel, system panel, then the
// EQ channels (per channel its bypass, bands, high-cut, low-cut).
const std::vector<ParamDef>& ParamTable();

// By unqualified name ("mic12.eq3.freq"); nullptr when there is none.
const ParamDef* FindParamDef(QStringView name);
// The parameter that owns one stored byte (field 0..2 of an address); nullptr for unnamed bytes.
const ParamDef* FindParamAt(uint8_t address, int field);

// A parameter of one parameter group (always 0 for Common parameters).
struct ParamRef {
    const ParamDef* Def = nullptr;
    int Group = 0;

    // The group whose record holds the parameter's byte (Common parameters: 0).
    int StoredGroup() const { return CellGroup(Group, Def->Address); }
};

// "g3.mic12.eq3.freq" or, for Common parameters, the plain name.
QString QualifiedName(const ParamRef& ref);
// The label with the group for Group parameters: "MODEL 3 话筒1-2 EQ3 频率".
QString QualifiedLabel(const ParamRef& ref);

// "0x44": an address as the names of unnamed bytes and blocks write it.
QString HexAddress(int address);

// Resolves a name with or without a g1. … g8. prefix; without one a Group parameter is taken in
// defaultGroup (0..7). std::nullopt and a Chinese reason when the name is unknown or the prefix is wrong.
std::optional<ParamRef> ResolveParamName(const QString& name, int defaultGroup, QString* error = nullptr);

} // namespace korva
