#pragma once
// Every request carries "Authorization: Bearer TOKEN". A request without a valid token gets 401 and
// nothing else; an address that keeps failing is answered ever more slowly, so that guessing a token
// costs time. A success from an address forgives its failures.

#include "korvad/HttpMessage.h"
#include "korvad/TokenStore.h"

#include <QElapsedTimer>
#include <QHash>

namespace korva::korvad {

class Authenticator {
public:
    // Failures an address may make before its answers are held back.
    static constexpr int kFreeFailures = 3;
    static constexpr int kFirstDelayMs = 250;
    static constexpr int kMaxDelayMs = 8000;
    // Failures older than this are forgotten.
    static constexpr qint64 kFailureMemoryMs = 15 * 60 * 1000;
    static constexpr int kMaxTrackedAddresses = 4096;

    explicit Authenticator(TokenStore& tokens);

    struct Verdict {
        bool Accepted = false;
        QString TokenName;
        int DelayMs = 0; // how long to hold back the 401
    };
    Verdict Check(const HttpRequest& request);

    // The 401 every refused request gets (no detail on what was wrong).
    static HttpResponse Refusal();

private:
    struct Failures {
        int Count = 0;
        qint64 LastMs = 0;
    };
    int RecordFailure(const QHostAddress& peer);
    void Forget();

    TokenStore& tokens_;
    QElapsedTimer clock_;
    QHash<QString, Failures> failures_;
};

} // namespace korva::korvad
