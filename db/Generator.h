#pragma once
// A venue's history written as the two programs would have left it: business days of visits
// that were opened, ordered, checked out and cleared, with their archives (visits, order lines,
// payment lines), shift summaries, other income, log lines, stock purchases, member top-ups
// and credit repayments; ending with an open business day with a few tables in use.
//
// Everything drawn comes from one seeded generator, so the same seed gives the same file. Each
// business day is written in one transaction through statements prepared once and reused;
// order and payment lines go through small scratch tables and reach the archives by one
// INSERT … SELECT per day, which takes the names from the catalogue as clearing a table does.
#include <QDate>
#include <QSqlDatabase>

#include <functional>

namespace kx::db {

struct GenerateOptions {
    int years = 5;
    int visitsPerDay = 100; // the average over the week; weekends are busier
    quint64 seed = 1;
    // The open business day the history ends with; the history runs from the same date
    // `years` years earlier up to the day before.
    QDate today;
    // Called after each business day written (days done, days in all).
    std::function<void(int, int)> progress;
};

struct GenerateSummary {
    int days = 0;         // closed business days written
    qint64 visits = 0;    // visits written, archived or live
    qint64 lines = 0;     // order lines
    qint64 payments = 0;  // archived payment lines
};

// Writes the history into a database that holds the venue's catalogue (the sample venue) and
// no business yet. Throws DbError when the database refuses a statement (the day being written
// is rolled back).
GenerateSummary generateHistory(QSqlDatabase db, const GenerateOptions& options);

// Adds `count` visits of the current business day (SetupPay.time_work) that are checked out
// and cleared but not yet removed by a day end: live rows marked as no longer in use, their
// archive copies and their payment lines of the current shift. Keys come from the visit
// counter; stock, member cards and credit accounts move as the checkouts moved them.
// One transaction. Returns the number written.
int addClearedVisits(QSqlDatabase db, int count, quint64 seed);

} // namespace kx::db
