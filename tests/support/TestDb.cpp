#include "TestDb.h"

namespace kx::test {

TempDatabase::TempDatabase(const QString& folder) : folder_(folder) {
    conn_.open(kx::db::databasePath(programDir()));
}

void TempDatabase::run(const QStringList& statements) {
    for (const QString& s : statements) kx::db::exec(db(), s);
}

} // namespace kx::test
