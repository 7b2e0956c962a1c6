#include "korvad/TokenStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korva::korvad {

namespace {

constexpr int kTokenBytes = 32;
const char* const kServiceUser = "korva";
const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool IsServiceAccount() {
    if (::geteuid() == 0) {
        return true;
    }
    const passwd* user = ::getpwuid(::geteuid());
    return user && qstrcmp(user->pw_name, kServiceUser) == 0;
}

std::vector<TokenStore::Entry> ParseEntries(const QByteArray& bytes, bool* ok) {
    std::vector<TokenStore::Entry> entries;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    *ok = doc.isObject();
    for (const QJsonValue& value : doc.object().value(QStringLiteral("tokens")).toArray()) {
        const QJsonObject o = value.toObject();
        TokenStore::Entry entry;
        entry.Name = o.value(QStringLiteral("name")).toString();
        entry.Hash = QByteArray::fromHex(o.value(QStringLiteral("sha256")).toString().toLatin1());
        entry.Created = QDateTime::fromString(o.value(QStringLiteral("created")).toString(), Qt::ISODate);
        if (!entry.Name.isEmpty() && entry.Hash.size() == 32) {
            entries.push_back(entry);
        }
    }
    return entries;
}

// When root manages the tokens of a folder that belongs to the service's user, the file must stay the
// service's: otherwise the service could no longer read it.
void GiveToFolderOwner(const QString& file, const QString& folder) {
    if (::geteuid() != 0) {
        return;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) == 0 && info.st_uid != 0) {
        [[maybe_unused]] const int ignored = ::chown(QFile::encodeName(file).constData(), info.st_uid, info.st_gid);
    }
}

} // namespace

QByteArray TokenHash(QByteArrayView token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

TokenStore::TokenStore(QString stateDir) : stateDir_(std::move(stateDir)) {}

QString TokenStore::DefaultStateDir() {
    // systemd's StateDirectory= names the folder it made for the service.
    const QString systemd = qEnvironmentVariable("STATE_DIRECTORY");
    if (!systemd.isEmpty()) {
        return systemd.split(QLatin1Char(':')).front();
    }
    if (IsServiceAccount()) {
        return QStringLiteral("/var/lib/korvad");
    }
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/korvad");
}

QString TokenStore::FilePath() const {
    return QDir(stateDir_).filePath(QStringLiteral("tokens.json"));
}

std::optional<std::vector<TokenStore::Entry>> TokenStore::List(QString* error) const {
    QFile file(FilePath());
    if (!file.exists()) {
        return std::vector<Entry>{};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取令牌文件 %1：%2").arg(FilePath(), file.errorString());
        return std::nullopt;
    }
    bool ok = false;
    std::vector<Entry> entries = ParseEntries(file.readAll(), &ok);
    if (!ok) {
        *error = QStringLiteral("令牌文件 %1 已损坏").arg(FilePath());
        return std::nullopt;
    }
    return entries;
}

bool TokenStore::Write(const std::vector<Entry>& entries, QString* error) const {
    if (!QDir().mkpath(stateDir_)) {
        *error = QStringLiteral("无法创建状态目录 %1").arg(stateDir_);
        return false;
    }
    QJsonArray list;
    for (const Entry& e : entries) {
        list.append(QJsonObject{{"name", e.Name},
                                {"sha256", QString::fromLatin1(e.Hash.toHex())},
                                {"created", e.Created.toUTC().toString(Qt::ISODate)}});
    }
    QSaveFile file(FilePath());
    // Readable by the owner only from the first byte on.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnly)) {
        *error = QStringLiteral("无法写入令牌文件 %1：%2").arg(FilePath(), file.errorString());
        return false;
    }
    file.write(QJsonDocument(QJsonObject{{"tokens", list}}).toJson());
    if (!file.commit()) {
        *error = QStringLiteral("无法写入令牌文件 %1：%2").arg(FilePath(), file.errorString());
        return false;
    }
    QFile::setPermissions(FilePath(), kOwnerOnly);
    GiveToFolderOwner(FilePath(), stateDir_);
    return true;
}

std::optional<QString> TokenStore::Add(const QString& name, QString* error) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    if (!valid.match(name).hasMatch()) {
        *error = QStringLiteral("令牌名称只能由字母、数字、“.”、“_”和“-”组成，最长 64 个字符");
        return std::nullopt;
    }
    std::optional<std::vector<Entry>> entries = List(error);
    if (!entries) {
        return std::nullopt;
    }
    for (const Entry& e : *entries) {
        if (e.Name == name) {
            *error = QStringLiteral("已有名为 %1 的令牌；要换新令牌请先 revoke").arg(name);
            return std::nullopt;
        }
    }
    QByteArray secret(kTokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(secret.data()), kTokenBytes / 4);
    const QString token =
        QStringLiteral("korva_") +
        QString::fromLatin1(secret.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
    entries->push_back({name, TokenHash(token.toLatin1()), QDateTime::currentDateTimeUtc()});
    if (!Write(*entries, error)) {
        return std::nullopt;
    }
    return token;
}

bool TokenStore::Revoke(const QString& name, QString* error) {
    std::optional<std::vector<Entry>> entries = List(error);
    if (!entries) {
        return false;
    }
    const auto before = entries->size();
    std::erase_if(*entries, [&](const Entry& e) { return e.Name == name; });
    if (entries->size() == before) {
        *error = QStringLiteral("没有名为 %1 的令牌").arg(name);
        return false;
    }
    return Write(*entries, error);
}

QString TokenStore::Match(QByteArrayView token) {
    // A small file: reading it on every request costs microseconds and needs no change notification,
    // which would race with the request that follows a revoke.
    QFile file(FilePath());
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (bytes != loadedBytes_) {
        bool ok = false;
        loaded_ = ParseEntries(bytes, &ok);
        loadedBytes_ = bytes;
    }
    const QByteArray hash = TokenHash(token);
    QString name;
    for (const Entry& e : loaded_) {
        uint8_t difference = 0;
        for (int i = 0; i < hash.size(); ++i) {
            difference |= uint8_t(hash[i] ^ e.Hash[i]);
        }
        if (difference == 0) {
            name = e.Name;
        }
    }
    return name;
}

} // namespace korva::korvad
