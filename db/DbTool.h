#pragma once
// The kestrix-db command line, as a function the tests can call:
//   kestrix-db create [--empty] FILE   a new database, with the sample venue unless --empty
//   kestrix-db check FILE              schema version, integrity and the table invariants
//   kestrix-db generate [--years N] [--visits-per-day N] [--seed N] FILE
//                                      a new database with the sample venue and N years of
//                                      business history (default 5 years, 100 visits a day)
#include <QDate>
#include <QStringList>
#include <QTextStream>

namespace kx::db {

// `args` are the words after the program name. Returns the exit code: 0 done, 1 a check
// failed or the work could not be done, 2 the command line was wrong.
int runDbTool(const QStringList& args, QTextStream& out, QTextStream& err, const QDate& today);

} // namespace kx::db
