#include "StockPosting.h"

#include "DerivedStock.h"
#include "Sql.h"
#include "Transaction.h"

namespace kx::db {

namespace {

const char* const kBillColumns =
    "stor_bill_ID,stor_bill_code,stor_bill_type,work_code,work_name_s,oper_code,stor_work_type_code,stor_pay_shou,"
    "stor_pay_fact,stor_inco_shou,stor_inco_fact,stor_bill_run,stor_bill_date,stor_bill_date_work,stor_deta_flag,"
    "stor_bill_rema";
const char* const kLineColumns =
    "clas_code,stor_bill_code,item_code,item_name,item_unit,item_cost_pric,item_coun,item_mone,stor_bill_date,"
    "stor_bill_date_work,stor_bill_ID,stor_deta_flag,item_rema";

// An amount to the cent, in both engines.
QString cents(const QString& expression) {
    return QStringLiteral("ROUND(CAST(%1 AS NUMERIC), 2)").arg(expression);
}

} // namespace

void moveUnitBalance(QSqlDatabase db, const QString& unit, double amount) {
    const QString n = cents(QStringLiteral("COALESCE(work_pay_shou, 0) - COALESCE(work_inco_shou, 0) + ?"));
    exec(db,
         QStringLiteral("UPDATE WorkList SET work_pay_shou = CASE WHEN %1 >= 0 THEN %1 ELSE 0 END, "
                        "work_inco_shou = CASE WHEN %1 < 0 THEN -(%1) ELSE 0 END WHERE work_code = ?")
             .arg(n),
         {amount, amount, amount, amount, unit});
}

int stockDirection(const QString& billType) {
    return billType == QStringLiteral("进货单") ? 1 : -1;
}

void totalStockBill(QSqlDatabase db, qint64 billId) {
    Transaction tx(db);
    const QString type = scalarText(db, QStringLiteral("SELECT stor_bill_type FROM StoreBill WHERE stor_bill_ID = ?"),
                                    {billId});
    const int direction = stockDirection(type);
    exec(db,
         QStringLiteral("UPDATE StoreDetail SET item_mone = %1, stor_deta_flag = ? WHERE stor_bill_ID = ?")
             .arg(cents(QStringLiteral("COALESCE(item_coun, 0) * COALESCE(item_cost_pric, 0)"))),
         {direction, billId});
    const QString goods =
        QStringLiteral("(SELECT COALESCE(SUM(item_mone), 0) FROM StoreDetail WHERE stor_bill_ID = StoreBill.stor_bill_ID)");
    exec(db,
         QStringLiteral("UPDATE StoreBill SET stor_deta_flag = ?, stor_pay_shou = %1, stor_inco_shou = %2 "
                        "WHERE stor_bill_ID = ?")
             .arg(direction > 0 ? goods : QStringLiteral("0"), direction > 0 ? QStringLiteral("0") : goods),
         {direction, billId});
    tx.commit();
}

bool postStockBill(QSqlDatabase db, qint64 billId, bool averageCost) {
    Transaction tx(db);
    // The bill's own goods total and the unit's short name as they are now.
    totalStockBill(db, billId);
    exec(db,
         QStringLiteral("UPDATE StoreBill SET work_name_s = (SELECT w.work_name_s FROM WorkList w WHERE w.work_code = "
                        "StoreBill.work_code) WHERE stor_bill_ID = ? AND work_code IN (SELECT work_code FROM WorkList)"),
         {billId});
    // Taken out of the open bills first: a bill posted or deleted meanwhile posts nothing.
    const QString bill = QString::fromLatin1(kBillColumns);
    exec(db, QStringLiteral("INSERT INTO AllStoreBill (%1) SELECT %1 FROM StoreBill WHERE stor_bill_ID = ?").arg(bill),
         {billId});
    if (exec(db, QStringLiteral("DELETE FROM StoreBill WHERE stor_bill_ID = ?"), {billId}) != 1) {
        tx.rollback();
        return false;
    }
    const QString lines = QString::fromLatin1(kLineColumns);
    exec(db,
         QStringLiteral("INSERT INTO AllStoreDetail (%1) SELECT %1 FROM StoreDetail WHERE stor_bill_ID = ?").arg(lines),
         {billId});
    exec(db, QStringLiteral("DELETE FROM StoreDetail WHERE stor_bill_ID = ?"), {billId});

    QSqlQuery head = run(db,
                         QStringLiteral("SELECT stor_deta_flag, COALESCE(work_code, ''), "
                                        "COALESCE(stor_pay_shou, 0) - COALESCE(stor_pay_fact, 0) - "
                                        "COALESCE(stor_inco_shou, 0) + COALESCE(stor_inco_fact, 0) "
                                        "FROM AllStoreBill WHERE stor_bill_ID = ?"),
                         {billId});
    head.next();
    const int direction = head.value(0).toInt() < 0 ? -1 : 1;
    const QString unit = head.value(1).toString();
    const double net = head.value(2).toDouble();
    head.finish();

    // What the bill brings of an item: its quantity, and its quantity at its prices.
    const QString quantity = QStringLiteral("(SELECT SUM(COALESCE(d.item_coun, 0)) FROM AllStoreDetail d WHERE "
                                            "d.stor_bill_ID = %1 AND d.item_code = itemlist.item_code)")
                                 .arg(billId);
    const QString value = QStringLiteral("(SELECT SUM(COALESCE(d.item_coun, 0) * COALESCE(d.item_cost_pric, 0)) FROM "
                                         "AllStoreDetail d WHERE d.stor_bill_ID = %1 AND d.item_code = itemlist.item_code)")
                              .arg(billId);
    const QString onBill = QStringLiteral("item_code IN (SELECT item_code FROM AllStoreDetail WHERE stor_bill_ID = %1)")
                               .arg(billId);
    if (averageCost && direction > 0) {
        // A negative stock before the bill counts as none in the average.
        const QString held = QStringLiteral("(CASE WHEN COALESCE(item_coun, 0) > 0 THEN item_coun ELSE 0 END)");
        const QString average = cents(QStringLiteral("(COALESCE(item_cost_pric, 0) * %1 + %2) / (%1 + %3)")
                                          .arg(held, value, quantity));
        exec(db, QStringLiteral("UPDATE itemlist SET item_cost_pric = %1 WHERE %2 AND %3 <> 0 "
                                "AND COALESCE(item_coun, 0) + %3 <> 0 AND %4 + %3 <> 0 AND item_unit_pric > %1")
                     .arg(average, onBill, quantity, held));
    }
    exec(db, QStringLiteral("UPDATE itemlist SET item_coun = COALESCE(item_coun, 0) + %1 * ? WHERE %2").arg(quantity, onBill),
         {direction});
    updateDerivedCounts(db);

    // The unit's one balance moves by the bill's net.
    if (!unit.isEmpty()) moveUnitBalance(db, unit, net);
    tx.commit();
    return true;
}

int applyStockAdjustment(QSqlDatabase db) {
    Transaction tx(db);
    const int moved = exec(db, QStringLiteral(
        "UPDATE itemlist SET item_coun = COALESCE(item_coun, 0) + (SELECT COALESCE(SUM(t.item_coun), 0) "
        "FROM ItemListTemp t WHERE t.item_code = itemlist.item_code) "
        "WHERE item_code IN (SELECT item_code FROM ItemListTemp)"));
    updateDerivedCounts(db);
    exec(db, QStringLiteral("DELETE FROM ItemListTemp"));
    tx.commit();
    return moved;
}

} // namespace kx::db
