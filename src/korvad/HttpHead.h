#pragma once
// Reads the head of one HTTP/1.1 request (request line and header fields) from the front of a buffer,
// within fixed limits, strictly: anything malformed is refused rather than guessed at. The body is read
// by the connection with the length the head announces; chunked bodies are not taken.

#include "korvad/HttpMessage.h"

#include <QByteArrayView>

namespace korva::korvad {

struct HttpLimits {
    static constexpr qsizetype kMaxHeadBytes = 16 * 1024; // request line and headers together
    static constexpr qsizetype kMaxTargetBytes = 4 * 1024;
    static constexpr int kMaxHeaders = 64;
    // A preset file is well under this; JSON bodies are a few bytes.
    static constexpr qsizetype kMaxBodyBytes = 64 * 1024;
};

struct HttpHead {
    enum class State { NeedMore, Complete, Refused };
    State Result = State::NeedMore;
    qsizetype Length = 0;        // Complete: bytes of the head, blank line included
    HttpRequest Request;         // Complete: everything but the body
    qsizetype ContentLength = 0; // Complete: the body's announced length
    int Status = 0;              // Refused: the status to answer with
    const char* Code = "";       // Refused: the error code
    QString Message;             // Refused: the message
};

// Parses the head at the front of data (leading blank lines are skipped, and counted in Length).
HttpHead ParseHttpHead(QByteArrayView data);

} // namespace korva::korvad
