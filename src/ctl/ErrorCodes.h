#pragma once
// The stable English codes of korva-ctl's failures, as --json prints them in "error" (the Chinese
// "message" beside them is for people and may change). Files add the codes of FileError.

namespace korva::ctl::codes {

// Nothing was sent (exit 2).
inline constexpr char kUsage[] = "usage";                          // the command line is refused
inline constexpr char kBadFile[] = "bad_file";                     // a file is not a usable preset
inline constexpr char kUnknownName[] = "unknown_name";             // no parameter of that name
inline constexpr char kBadValue[] = "bad_value";                   // not a value of the parameter
inline constexpr char kOutOfRange[] = "out_of_range";              // a number outside the range
inline constexpr char kDownloadOnly[] = "download_only";           // set of a restore-only parameter
inline constexpr char kSeveralProcessors[] = "several_processors"; // a changing command, none named
// No processor, or not the one named (exit 3).
inline constexpr char kNotFound[] = "not_found";
// The processor failed (exit 3).
inline constexpr char kOpenFailed[] = "open_failed";             // could not be opened
inline constexpr char kPermissionDenied[] = "permission_denied"; // the user may not open it
inline constexpr char kNoAnswer[] = "no_answer";                 // no answer to the handshake
inline constexpr char kLinkLost[] = "link_lost";                 // the link failed during the command
inline constexpr char kInternal[] = "internal";                  // an unexpected error
// The memory read back after a restore differs from the file (exit 1).
inline constexpr char kReadbackMismatch[] = "readback_mismatch";
// Standard output or standard error could not be written (exit 2, 3 once a processor was used).
inline constexpr char kOutputFailed[] = "output_failed";
// Stopped by a signal (exit 128 + the signal's number).
inline constexpr char kInterrupted[] = "interrupted";

// Through korvad (--remote). The service's own failures keep the codes above (not_found, no_answer, ...).
inline constexpr char kRemoteUnreachable[] = "remote_unreachable"; // no HTTP answer from the room (exit 3)
inline constexpr char kRemoteTls[] = "remote_tls";                 // its certificate was not trusted (exit 3)
inline constexpr char kUnauthorized[] = "unauthorized";            // token missing, wrong or revoked (exit 2)
inline constexpr char kRemoteRefused[] = "remote_refused";         // any other refusal of korvad (exit 2)
inline constexpr char kRemoteFailed[] = "remote_failed";           // korvad failed or answered nonsense (exit 3)
inline constexpr char kNotRemote[] = "not_remote";                 // the command has no korvad route yet (exit 2)
// Another program (named in the message) has the processor open (exit 3).
inline constexpr char kDeviceLocked[] = "device_locked";

} // namespace korva::ctl::codes
