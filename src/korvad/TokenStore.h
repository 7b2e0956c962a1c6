#pragma once
// The service's access tokens: named, kept as SHA-256 hashes in tokens.json under the state folder, a file
// only the service's user may read. A token is shown once, when it is made; afterwards only its hash
// exists. The running service rereads the file when it changes, so a revoked token stops working at once.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace korva::korvad {

class TokenStore {
public:
    struct Entry {
        QString Name;
        QByteArray Hash; // SHA-256 of the token, 32 bytes
        QDateTime Created;
    };

    explicit TokenStore(QString stateDir);

    // The folder when none is given: $STATE_DIRECTORY under systemd, /var/lib/korvad for root and the
    // service's user korva, else $XDG_STATE_HOME/korvad (~/.local/state/korvad).
    static QString DefaultStateDir();
    QString StateDir() const { return stateDir_; }
    QString FilePath() const;

    // A new token named name (letters, digits, '.', '_', '-'; at most 64): the token itself, or
    // std::nullopt and why not.
    std::optional<QString> Add(const QString& name, QString* error);
    bool Revoke(const QString& name, QString* error);
    // Every token, oldest first; std::nullopt and why when the file cannot be read.
    std::optional<std::vector<Entry>> List(QString* error) const;

    // The name of the token presented, or empty when it matches none. The hashes are compared in constant
    // time. The file is reread when its contents changed since the last call.
    QString Match(QByteArrayView token);

private:
    bool Write(const std::vector<Entry>& entries, QString* error) const;

    QString stateDir_;
    QByteArray loadedBytes_;
    std::vector<Entry> loaded_;
};

// SHA-256 of a token's text.
QByteArray TokenHash(QByteArrayView token);

} // namespace korva::korvad
