#include "korvad/TokenCommand.h"

#include "korvad/TokenStore.h"

#include <cstdio>

namespace korva::korvad {

namespace {

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int RunTokenCommand(const ServiceOptions& options) {
    TokenStore store(options.stateDir.isEmpty() ? TokenStore::DefaultStateDir() : options.stateDir);
    QString error;
    if (options.tokenAction == QLatin1String("add")) {
        const std::optional<QString> token = store.Add(options.tokenName, &error);
        if (!token) {
            Print(stderr, QStringLiteral("korvad: ") + error);
            return kExitFailure;
        }
        Print(stdout, *token);
        Print(stderr, QStringLiteral("korvad: 已生成令牌 %1（保存在 %2，只显示这一次）")
                          .arg(options.tokenName, store.FilePath()));
        return kExitOk;
    }
    if (options.tokenAction == QLatin1String("revoke")) {
        if (!store.Revoke(options.tokenName, &error)) {
            Print(stderr, QStringLiteral("korvad: ") + error);
            return kExitFailure;
        }
        Print(stderr, QStringLiteral("korvad: 已吊销令牌 %1").arg(options.tokenName));
        return kExitOk;
    }
    const std::optional<std::vector<TokenStore::Entry>> entries = store.List(&error);
    if (!entries) {
        Print(stderr, QStringLiteral("korvad: ") + error);
        return kExitFailure;
    }
    for (const TokenStore::Entry& e : *entries) {
        Print(stdout, QStringLiteral("%1  %2").arg(e.Name, e.Created.toUTC().toString(Qt::ISODate)));
    }
    return kExitOk;
}

} // namespace korva::korvad
