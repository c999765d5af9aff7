#include "DerivedStock.h"

#include "Sql.h"
#include "Transaction.h"

namespace kx::db {

void updateDerivedCounts(QSqlDatabase db) {
    exec(db, QStringLiteral("UPDATE itemlist SET item_coun = v.retotal FROM viewReTotal v WHERE v.grou_code = itemlist.item_code"));
}

void storeChange(QSqlDatabase db) {
    Transaction tx(db);
    exec(db, QStringLiteral("update itemlist set item_limi='不限',item_coun=0 where item_type_code='2' or item_type_code='3'"));
    exec(db, QStringLiteral("update itemlist set item_limi='有限' where item_code in (select b.grou_code from itemlist a, "
                            "itemgroup b where a.item_code=b.item_code and a.item_limi='有限')"));
    exec(db, QStringLiteral("update itemlist set item_limi='禁用',item_coun=0 where item_code in (select b.grou_code from "
                            "itemlist a, itemgroup b where a.item_code=b.item_code and a.item_limi='禁用')"));
    updateDerivedCounts(db);
    tx.commit();
}

} // namespace kx::db
