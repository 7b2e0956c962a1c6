// Packets from the device while a command waits for its acknowledgement and answer: arbitrary bytes,
// acknowledgements, answers with a right checksum, sync words and key-shift notices, oversized bursts,
// time-outs and commands queued from inside the wait. The device itself stays silent; every byte it
// "sends" comes from the script.
//
// Script: command, group, address, value, flags (bit 0 log window open, bit 1 log sync words, bit 2
// handshake mode), then steps:
//   00..EF  a packet of that many bytes + 1, taken from the script
//   F0 n    a burst of (n + 1) * 97 bytes: the next up to 64 script bytes repeated
//   F1      the running time-out expires
//   F2      an acknowledgement FE 23 23 44
//   F3      an answer of the expected length with a right checksum, made from script bytes
//   F4 ...  another command (command, group, address, value) queued from inside the wait
//   F5..FF  a single byte of that value (0xFD, 0xFF and 0xFE reach the scanner this way too)
#include "FuzzInput.h"
#include "FuzzSupport.h"
#include "LinkFuzzWorld.h"

#include "link/FrameProtocol.h"

using namespace korva;
using fuzz::FuzzInput;

namespace {

// An answer for whatever length the scanner is waiting for, checksum fixed.
QByteArray MadeAnswer(FuzzInput& in, int length) {
    QByteArray frame = in.Bytes(size_t(std::max(length - 1, 0)));
    frame.resize(std::max(length - 1, 0), '\0');
    frame.append(char(FrameChecksum(frame)));
    return frame;
}

QByteArray Burst(FuzzInput& in) {
    const int length = (in.Byte() + 1) * 97;
    QByteArray unit = in.Bytes(64);
    if (unit.isEmpty()) {
        unit = QByteArray(1, '\x23');
    }
    QByteArray burst;
    while (burst.size() < length) {
        burst += unit;
    }
    burst.truncate(length);
    return burst;
}

bool Step(FuzzInput& in, fuzz::LinkFuzzWorld& world) {
    if (in.AtEnd()) {
        return false;
    }
    Communications& comm = world.link.Comm();
    const uint8_t op = in.Byte();
    if (op < 0xF0) {
        comm.ProcessReceivedBytes(in.Bytes(size_t(op) + 1));
    } else if (op == 0xF0) {
        comm.ProcessReceivedBytes(Burst(in));
    } else if (op == 0xF1) {
        fuzz::ExpireRunningTimeOut(comm);
    } else if (op == 0xF2) {
        comm.ProcessReceivedBytes(AcknowledgementFrame());
    } else if (op == 0xF3) {
        comm.ProcessReceivedBytes(MadeAnswer(in, comm.Scanner().ExpectedLength()));
    } else if (op == 0xF4) {
        const int command = fuzz::PickCommand(in.Byte());
        const int group = in.Byte() % kGroupCount;
        const int address = in.Byte();
        const int value = in.Byte();
        const bool ok = comm.SendCommand(command, group, address, value, 1000);
        fuzz::CheckAnswer(comm, ok);
    } else {
        comm.ProcessReceivedBytes(QByteArray(1, char(op)));
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    sim::VirtualProcessor device;
    device.SetSilent(true);
    fuzz::LinkFuzzWorld world(device);
    Communications& comm = world.link.Comm();

    const int command = fuzz::PickCommand(in.Byte());
    const int group = in.Byte() % kGroupCount;
    const int address = in.Byte();
    const int value = in.Byte();
    const uint8_t flags = in.Byte();
    world.link.Log().SetCommLogEnabled(flags & 1);
    world.link.Log().SetLogSyncWords(flags & 2);
    comm.SetHandshakeMode(flags & 4);

    const bool ok = fuzz::RunWhileCommandWaits(
        comm, [&]() { return Step(in, world); },
        [&]() { return comm.SendCommand(command, group, address, value, 1000); });
    fuzz::CheckAnswer(comm, ok);
    fuzz::Check(!comm.LinkBusy(), "a command still waits after the script ended");
    return 0;
}
