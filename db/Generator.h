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
//
// A venue larger than the sample (more tables, items and member cards, a busier open day) is
// asked for by the venue-scale options; left unset they keep the sample venue, and the same
// seed gives the same file as without them.
#include <QDate>
#include <QSqlDatabase>

#include <functional>
#include <optional>

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

    // ---- venue scale; unset keeps the sample venue as it is
    // Tables in all. The sample's stay; the others are added in new departments of about 25
    // tables, each department with a letter of its own (codes C01, C02 …, D01 …), their table
    // types drawn from the sample's and three more (a round table, a luxury room, a middle KTV room).
    std::optional<int> tables;
    // Orderable items in all (every item but ingredients). The sample's stay; the others are
    // single dishes and drinks with six-digit codes from 100001, about 100 to a new class.
    std::optional<int> items;
    // Member cards in all. The sample's stay; the others are stored-value cards opened on the
    // first day, all with the password 123456 (one hash shared by all of them). Unset: 40 cards
    // are opened when the venue has visits.
    std::optional<int> members;
    // Visits of the open day checked out and cleared but not yet removed by a day end.
    // Unset: a quarter of visitsPerDay (at least one when there are visits).
    std::optional<int> liveCleared;
    // Tables in use on the open day, spread over the board; every fourth is checked out and
    // not yet cleared, the others are open with their orders. Unset: four tables, one of them
    // checked out.
    std::optional<int> liveOpen;
};

struct GenerateSummary {
    int days = 0;        // closed business days written
    qint64 visits = 0;   // visits written, archived or live
    qint64 lines = 0;    // order lines
    qint64 payments = 0; // archived payment lines
};

// Writes the history into a database that holds the venue's catalogue (the sample venue) and
// no business yet. Throws DbError when the database refuses a statement (the day being written
// is rolled back), or when a venue-scale option asks for less than the venue already has, or
// for more tables in use than the venue has tables.
GenerateSummary generateHistory(QSqlDatabase db, const GenerateOptions& options);

// Adds `count` visits of the current business day (SetupPay.time_work) that are checked out
// and cleared but not yet removed by a day end: live rows marked as no longer in use, their
// archive copies and their payment lines of the current shift. Keys come from the visit
// counter; stock, member cards and credit accounts move as the checkouts moved them.
// One transaction. Returns the number written.
int addClearedVisits(QSqlDatabase db, int count, quint64 seed);

} // namespace kx::db
