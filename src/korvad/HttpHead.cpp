#include "korvad/HttpHead.h"

namespace korva::korvad {

namespace {

// RFC 9110 token characters.
bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool IsToken(QByteArrayView text) {
    if (text.isEmpty()) {
        return false;
    }
    for (char c : text) {
        if (!IsTokenChar(c)) {
            return false;
        }
    }
    return true;
}

// Visible ASCII, spaces and tabs, and bytes of UTF-8 text; no control characters.
bool IsFieldValue(QByteArrayView text) {
    for (char c : text) {
        const auto u = uint8_t(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) {
            return false;
        }
    }
    return true;
}

// The request target in origin form: a path from the root, visible ASCII only.
bool IsOriginTarget(QByteArrayView target) {
    if (target.isEmpty() || target.front() != '/') {
        return false;
    }
    for (char c : target) {
        const auto u = uint8_t(c);
        if (u <= 0x20 || u >= 0x7F) {
            return false;
        }
    }
    return true;
}

HttpHead Refuse(int status, const char* code, const QString& message) {
    HttpHead head;
    head.Result = HttpHead::State::Refused;
    head.Status = status;
    head.Code = code;
    head.Message = message;
    return head;
}

HttpHead Malformed() {
    return Refuse(400, "bad_request", QStringLiteral("请求格式不正确"));
}

bool ParseRequestLine(QByteArrayView line, HttpRequest& request, HttpHead& refusal) {
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first <= 0 || last <= first) {
        refusal = Malformed();
        return false;
    }
    const QByteArrayView method = line.first(first);
    const QByteArrayView target = line.sliced(first + 1, last - first - 1);
    const QByteArrayView version = line.sliced(last + 1);
    if (!IsToken(method) || method.size() > 16 || !IsOriginTarget(target)) {
        refusal = target.size() > HttpLimits::kMaxTargetBytes
                      ? Refuse(414, "uri_too_long", QStringLiteral("请求地址过长"))
                      : Malformed();
        return false;
    }
    if (target.size() > HttpLimits::kMaxTargetBytes) {
        refusal = Refuse(414, "uri_too_long", QStringLiteral("请求地址过长"));
        return false;
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        refusal = version.startsWith("HTTP/") && version.size() == 8
                      ? Refuse(505, "http_version", QStringLiteral("只支持 HTTP/1.1"))
                      : Malformed();
        return false;
    }
    request.Method = method.toByteArray();
    request.Target = target.toByteArray();
    request.Version = version.toByteArray();
    return true;
}

bool ParseHeaderLine(QByteArrayView line, HttpRequest& request) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || !IsToken(line.first(colon))) {
        return false; // also a folded line, which starts with white space
    }
    const QByteArrayView value = line.sliced(colon + 1).trimmed();
    if (!IsFieldValue(value)) {
        return false;
    }
    request.Headers.emplace_back(line.first(colon).toByteArray().toLower(), value.toByteArray());
    return true;
}

// Content-Length: digits only; several fields must agree.
bool ReadContentLength(const HttpRequest& request, qsizetype& length) {
    length = 0;
    bool seen = false;
    for (const auto& [name, value] : request.Headers) {
        if (name != "content-length") {
            continue;
        }
        if (value.isEmpty() || value.size() > 12) {
            return false;
        }
        for (char c : value) {
            if (c < '0' || c > '9') {
                return false;
            }
        }
        const qsizetype parsed = value.toLongLong();
        if (seen && parsed != length) {
            return false;
        }
        length = parsed;
        seen = true;
    }
    return true;
}

} // namespace

HttpHead ParseHttpHead(QByteArrayView data) {
    // Blank lines before a request are allowed (and some clients send one after a body).
    qsizetype start = 0;
    while (data.sliced(start).startsWith("\r\n")) {
        start += 2;
    }
    const qsizetype end = data.indexOf("\r\n\r\n", start);
    if (end < 0) {
        if (data.size() - start > HttpLimits::kMaxHeadBytes) {
            const qsizetype lineEnd = data.indexOf("\r\n", start);
            if (lineEnd < 0 || lineEnd - start > HttpLimits::kMaxHeadBytes) {
                return Refuse(414, "uri_too_long", QStringLiteral("请求地址过长"));
            }
            return Refuse(431, "headers_too_large", QStringLiteral("请求头过大"));
        }
        return {};
    }
    if (end - start > HttpLimits::kMaxHeadBytes) {
        return Refuse(431, "headers_too_large", QStringLiteral("请求头过大"));
    }

    HttpHead head;
    const QByteArrayView block = data.sliced(start, end - start);
    qsizetype lineStart = 0;
    bool firstLine = true;
    while (lineStart <= block.size()) {
        qsizetype lineEnd = block.indexOf("\r\n", lineStart);
        if (lineEnd < 0) {
            lineEnd = block.size();
        }
        const QByteArrayView line = block.sliced(lineStart, lineEnd - lineStart);
        // A bare CR or LF inside a line is a smuggling attempt or garbage.
        if (line.contains('\r') || line.contains('\n')) {
            return Malformed();
        }
        if (firstLine) {
            if (!ParseRequestLine(line, head.Request, head)) {
                return head;
            }
            firstLine = false;
        } else {
            if (int(head.Request.Headers.size()) >= HttpLimits::kMaxHeaders) {
                return Refuse(431, "headers_too_large", QStringLiteral("请求头过多"));
            }
            if (!ParseHeaderLine(line, head.Request)) {
                return Malformed();
            }
        }
        lineStart = lineEnd + 2;
    }
    if (head.Request.HasHeader("transfer-encoding")) {
        return Refuse(411, "length_required", QStringLiteral("请求正文须带 Content-Length，不支持分块传输"));
    }
    if (!ReadContentLength(head.Request, head.ContentLength)) {
        return Malformed();
    }
    head.Result = HttpHead::State::Complete;
    head.Length = end + 4;
    return head;
}

} // namespace korva::korvad
