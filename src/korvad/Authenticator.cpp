#include "korvad/Authenticator.h"

#include "korvad/ServiceLog.h"

namespace korva::korvad {

namespace {

constexpr qsizetype kMaxTokenLength = 256;

// The token of "Bearer TOKEN" (scheme case-insensitive); empty when the header is anything else.
QByteArray BearerToken(const QByteArray& header) {
    static const QByteArray scheme = "bearer ";
    if (header.size() <= scheme.size() || header.size() > kMaxTokenLength ||
        header.left(scheme.size()).toLower() != scheme) {
        return {};
    }
    return header.mid(scheme.size()).trimmed();
}

// A browser cannot set headers on a WebSocket: it may offer the token as the subprotocol
// "korva.bearer.TOKEN" instead, beside the events protocol the hub selects (so the token is never echoed).
QByteArray SubprotocolToken(const HttpRequest& request) {
    if (!request.WantsWebSocket() || request.Path() != "/api/v1/events") {
        return {};
    }
    const QByteArray offered = request.Header("sec-websocket-protocol");
    if (offered.size() > kMaxTokenLength + 64) {
        return {};
    }
    static const QByteArray prefix = "korva.bearer.";
    for (const QByteArray& part : offered.split(',')) {
        const QByteArray p = part.trimmed();
        if (p.startsWith(prefix) && p.size() > prefix.size()) {
            return p.mid(prefix.size());
        }
    }
    return {};
}

} // namespace

Authenticator::Authenticator(TokenStore& tokens) : tokens_(tokens) {
    clock_.start();
}

HttpResponse Authenticator::Refusal() {
    HttpResponse r = ErrorResponse(401, "unauthorized", QStringLiteral("需要有效的访问令牌"));
    r.Headers.emplace_back("WWW-Authenticate", "Bearer realm=\"korvad\"");
    r.Close = true;
    return r;
}

Authenticator::Verdict Authenticator::Check(const HttpRequest& request) {
    Verdict verdict;
    QByteArray token = BearerToken(request.Header("authorization"));
    if (token.isEmpty() && request.Header("authorization").isEmpty()) {
        token = SubprotocolToken(request);
    }
    if (!token.isEmpty()) {
        verdict.TokenName = tokens_.Match(token);
    }
    verdict.Accepted = !verdict.TokenName.isEmpty();
    if (verdict.Accepted) {
        failures_.remove(request.Peer.toString());
    } else {
        verdict.DelayMs = RecordFailure(request.Peer);
    }
    return verdict;
}

int Authenticator::RecordFailure(const QHostAddress& peer) {
    const qint64 now = clock_.elapsed();
    if (failures_.size() >= kMaxTrackedAddresses) {
        Forget();
    }
    Failures& f = failures_[peer.toString()];
    if (now - f.LastMs > kFailureMemoryMs) {
        f.Count = 0;
    }
    f.LastMs = now;
    ++f.Count;
    if (f.Count <= kFreeFailures) {
        return 0;
    }
    if (f.Count == kFreeFailures + 1) {
        Log(LogLevel::Warning, QStringLiteral("来自 %1 的请求多次没有有效的访问令牌，此后的回答将逐次延迟")
                                   .arg(peer.toString()));
    }
    const int doublings = std::min(f.Count - kFreeFailures - 1, 8);
    return std::min(kFirstDelayMs << doublings, kMaxDelayMs);
}

// Old entries go first; a table still full (a flood from many addresses) starts afresh.
void Authenticator::Forget() {
    const qint64 now = clock_.elapsed();
    for (auto it = failures_.begin(); it != failures_.end();) {
        it = now - it->LastMs > kFailureMemoryMs ? failures_.erase(it) : std::next(it);
    }
    if (failures_.size() >= kMaxTrackedAddresses) {
        failures_.clear();
    }
}

} // namespace korva::korvad
