#include "Password.h"

#include "Sql.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace kx {

namespace {

constexpr int kIterations = 20000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// A stored text may not make a check run for ever.
constexpr int kMaxIterations = 10'000'000;
const QLatin1String kScheme("pbkdf2");

QByteArray derive(const QString& plain, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, plain.toUtf8(), salt, iterations,
                                              kHashBytes);
}

// Compares in time that depends only on the lengths, not on where the texts differ.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

int passwordIterations() {
    return kIterations;
}

QString hashPassword(const QString& plain) {
    return hashPassword(plain, kIterations);
}

QString hashPassword(const QString& plain, int iterations) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator* rng = QRandomGenerator::system();
    for (qsizetype i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<char>(rng->bounded(256));
    const QByteArray hash = derive(plain, salt, iterations);
    return QStringList{kScheme, QString::number(iterations), QString::fromLatin1(salt.toHex()),
                       QString::fromLatin1(hash.toHex())}
        .join(QLatin1Char('$'));
}

bool verifyPassword(const QString& plain, const QString& stored) {
    if (stored.isEmpty()) return plain.isEmpty();
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme) return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > kMaxIterations) return false;
    const QByteArray salt = QByteArray::fromHex(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts[3].toLatin1());
    if (salt.isEmpty() || expected.size() != kHashBytes) return false;
    return sameBytes(derive(plain, salt, iterations), expected);
}

bool setSystemPassword(QSqlDatabase db, const QString& typed) {
    const QString plain = typed.trimmed();
    if (plain.isEmpty()) return false;
    db::exec(db, QStringLiteral("UPDATE setupprint SET set_prn_92_fiel = ?"), {hashPassword(plain)});
    return true;
}

bool systemPasswordMatches(QSqlDatabase db, const QString& typed) {
    return verifyPassword(typed.trimmed(), db::scalarText(db, QStringLiteral("SELECT set_prn_92_fiel FROM setupprint")));
}

} // namespace kx
