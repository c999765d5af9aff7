#pragma once
// The maintenance operations on the venue's data as a whole: clearing chosen groups of data and
// the initialisation of the working data. Each is one transaction (nested in the caller's when
// there is one): a failure leaves everything as it was.
#include "Errors.h"

#include <QDate>
#include <QSqlDatabase>

#include <functional>

namespace kx::db {

// The groups of data to clear, in the order they are cleared.
struct ClearChoice {
    bool stock = false;       // every item's stock to 0
    bool baseData = false;    // items, classes, compositions and tables
    bool allHistory = false;  // every archive: visits, lines, payments, other income, posted stock bills
    bool someHistory = false; // the archives of the business days historyFrom to historyTo
    QDate historyFrom, historyTo;
    bool someLog = false; // the log lines of the days logFrom to logTo
    QDate logFrom, logTo;

    bool any() const { return stock || baseData || allHistory || someHistory || someLog; }
};

// The base data is refused while the front desk has a visit in use or an order line of the day:
// the message says so, nothing is cleared.
class BaseDataInUse : public DbError {
  public:
    BaseDataInUse() : DbError(QStringLiteral("前台还有未结束的消费，不能清除基本信息！")) {}
};

// Clears the chosen groups in one transaction. Days are whole days (00:00:00 to 23:59:59); a
// posted stock bill goes with its lines, chosen by the bill's business date. Throws
// BaseDataInUse, or DbError when a statement fails (nothing cleared).
void clearData(QSqlDatabase db, const ClearChoice& choice);

// Removes every visit, order line, booking, payment, archive, stock bill and card adjustment row
// and frees every table, keeping the catalogue, the venue, the staff, the members, the credit
// accounts and the trading units with their balances. Each card with money or points gets one
// carry-over adjustment row ("初始化结转") that holds what it had, so that a later top-up, which
// works the card out again from its rows, keeps it. One transaction. `step` is called after
// each statement (kInitialisationSteps in all), for a progress bar.
inline constexpr int kInitialisationSteps = 17;
void initialiseData(QSqlDatabase db, const std::function<void()>& step = {});

} // namespace kx::db
