#pragma once
// Passwords of operators, member cards, credit accounts and the system management password
// are kept as salted, slow hashes, never as the password itself.
#include <QSqlDatabase>
#include <QString>

namespace kx {

// A new hash of `plain`: PBKDF2-HMAC-SHA256 with a random 16-byte salt, stored as
// "pbkdf2$<iterations>$<salt hex>$<hash hex>" (110 characters at the default iterations).
// Two calls with the same password give different texts.
QString hashPassword(const QString& plain);
QString hashPassword(const QString& plain, int iterations);

// Whether `plain` is the password `stored` was made from. An empty stored value matches only
// an empty password; a stored value that is not a hash of ours matches nothing.
bool verifyPassword(const QString& plain, const QString& stored);

// The iterations new hashes use.
int passwordIterations();

// The system management password (setupprint.set_prn_92_fiel), set on the back office's venue
// identity screen and asked for before reverse checkouts and credit repayments. Both take the
// text as typed and trim it. Setting an empty text is refused (false, nothing stored).
bool setSystemPassword(QSqlDatabase db, const QString& typed);
bool systemPasswordMatches(QSqlDatabase db, const QString& typed);

} // namespace kx
