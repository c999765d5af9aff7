#pragma once
// Stock posting: an open stock bill applied in one step. Its lines are totalled, the bill and
// its lines move to the archive under the bill's number, the items' stock moves by quantity ×
// direction, a purchase may re-average the items' cost, the counts of set menus and composites
// follow, and the trading unit's balance moves by the bill's net. Everything is set-based and
// relative to what the database holds, so a front-desk commit of the same items in between is
// kept.
#include <QSqlDatabase>
#include <QString>

namespace kx::db {

// Moves a trading unit's one balance by `amount` (positive: the venue owes the unit more), in
// the database: N = payable − receivable + amount, kept as a payable when N ≥ 0, else as a
// receivable, to the cent.
void moveUnitBalance(QSqlDatabase db, const QString& unit, double amount);

// The stock direction of a bill type: 1 for "进货单", -1 for "退货单" and "销售单".
int stockDirection(const QString& billType);

// Totals the bill's lines (line amount = quantity × price, each line taking the bill's
// direction) and puts the goods total on the bill: "应付" of a purchase, "应收" of a return or
// sale, the other column 0. Runs in its own (or the caller's) transaction.
void totalStockBill(QSqlDatabase db, qint64 billId);

// Posts the open bill `billId` in one transaction (nested in the caller's when there is one).
// `averageCost` re-averages the cost of a purchase's items: the stock held before the bill
// (a negative stock counting as none) and the bill's quantity at their prices, unless stock
// plus quantity is 0 or the item's selling price is not above the new average. Returns false,
// posting nothing, when the bill is no longer open (posted or deleted meanwhile).
bool postStockBill(QSqlDatabase db, qint64 billId, bool averageCost);

// Adds the quantities of the adjustment list (ItemListTemp) to the items' stock, a missing
// quantity counting as 0, lets the counts of set menus and composites follow, and empties the
// list, in one transaction (nested in the caller's when there is one): a list is applied once.
// Returns the number of items whose stock moved.
int applyStockAdjustment(QSqlDatabase db);

} // namespace kx::db
