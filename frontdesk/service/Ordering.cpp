#include "Ordering.h"

#include "DerivedStock.h"

#include "BillCalc.h"
#include "Clock.h"
#include "Dataset.h"
#include "Errors.h"
#include "KitchenList.h"
#include "ProgressBar.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "Transaction.h"
#include "Values.h"
#include "VisitMoves.h"

#include <QPointer>
#include <QSqlQuery>
#include <QStringList>

namespace kx::frontdesk {

using db::Dataset;

namespace {

const QString kLimited = QStringLiteral("有限");
const QString kUnlimited = QStringLiteral("不限");
const QString kDisabled = QStringLiteral("禁用");

// The first 47 columns of an order line, the ones a commit copies from the pad.
const char* const kCopiedColumns =
    "tabl_gues_auto_recn, tabl_code, tabl_name, tabl_code_old, clas_code, clas_name, item_code, "
    "item_unit_pric, tabl_cons_coun, tabl_cons_tota, tabl_cons_time, tabl_cons_time_work, item_type_code, "
    "oper_code, oper_name, dedu_oper_code, dedu_oper_name, item_dedu_pric, item_cost_pric, tabl_dedu_tota, "
    "tabl_cost_tota, cons_grou_narr, cons_narr_code, cons_narr_name, manu_yorn, menu_type_code, "
    "menu_type_name, grou_code, item_coun_flag, item_type_flag, disc_clas_perc, tabl_disc_tota, "
    "tabl_cons_flag, tabl_gues_end, serv_perc, tabl_serv_tota, tabl_d_bill, tabl_z_bill, tabl_t_bill, "
    "tabl_tz_bill, dept_name, orde_name, kind_name, kind_code, manu_name, item_name, item_unit";

QString number(double v) { return QString::number(v, 'g', 15); }

QString stockWarning(qint64 threshold) {
    return QStringLiteral("库存数已小于[") + QString::number(threshold) + QStringLiteral("],库存下限预警！");
}

void step(StatusProgress* progress) {
    if (progress) progress->step();
}

// Suspends the updating of the grids bound to a dataset for a scope.
struct ControlsOff {
    Dataset& ds;
    explicit ControlsOff(Dataset& d) : ds(d) { ds.disableControls(); }
    ~ControlsOff() { ds.enableControls(); }
};

} // namespace

QString orderableItemsSql() {
    return QStringLiteral("select * from itemlist where item_type_code<>'4' order by item_code");
}

double MenuTypeSearch(QSqlDatabase db, const QString& mode, const QString& itemCode, qint64 visitKey) {
    if (mode == QLatin1String(kModeFree))
        return db::scalarNumber(db,
                                QStringLiteral("SELECT SUM(tabl_cons_coun * item_coun_flag) FROM TableConsList "
                                               "WHERE tabl_gues_auto_recn = ? AND item_code = ? "
                                               "AND (menu_type_code = '3' OR menu_type_code = '4')"),
                                {visitKey, itemCode});
    return db::scalarNumber(db,
                            QStringLiteral("SELECT SUM(tabl_cons_coun * item_type_flag) FROM TableConsList "
                                           "WHERE tabl_gues_auto_recn = ? AND item_code = ? "
                                           "AND (menu_type_code = '1' OR menu_type_code = '2')"),
                            {visitKey, itemCode});
}

ItemFacts itemFacts(QSqlDatabase db, const QString& itemCode) {
    ItemFacts f;
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT item_name, item_unit, item_limi, item_coun, item_real "
                                         "FROM itemlist WHERE item_code = ?"),
                          {itemCode});
    if (!q.next()) return f;
    f.found = true;
    f.name = q.value(0).toString();
    f.unit = q.value(1).toString();
    f.limit = q.value(2).toString();
    f.stock = q.value(3).isNull() ? 0.0 : q.value(3).toDouble();
    f.openPrice = db::variantToBool(q.value(4));
    return f;
}

Ordering::Ordering(TFormWMain* main, TDMTable* dm) : main_(main), dm_(dm) {}

// ---------------------------------------------------------------- the pad

void Ordering::openPad(qint64 visitKey, const QString& tableCode) {
    visitKey_ = visitKey;
    tableCode_ = tableCode;
    rightButton = false;
    lastCheck_ = Check::Skipped;
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    pad.cancel();
    pad.close();
    db::exec(dm_->database(), QStringLiteral("DELETE FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ?"),
             {visitKey, dm_->deskId});
    reopenPad();
}

void Ordering::reopenPad() {
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    // The components of set menus are lines of their own but never shown on the pad.
    pad.setSql(QStringLiteral("select * from TableConsListTemp where grou_code is null and tabl_gues_auto_recn=? "
                              "and desk_id=? order by tabl_cons_ID"),
               {visitKey_, dm_->deskId});
    pad.open();
    pad.last();
}

bool Ordering::padEmpty() const {
    const Dataset& pad = *dm_->adoqry_TableConsTemp;
    return !pad.active() || pad.isEmpty();
}

Ordering::Pick Ordering::pickCurrentItem() {
    Dataset& items = *dm_->adoqry_ConsItem;
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    const bool right = rightButton;
    rightButton = false;
    if (!items.active() || items.isEmpty()) return Pick::Held;

    const QString code = items.field(QStringLiteral("item_code")).asString();
    const QString limit = items.field(QStringLiteral("item_limi")).asString();
    const double stock = items.field(QStringLiteral("item_coun")).asFloat();
    if (limit == kDisabled) {
        prompter().information(QStringLiteral("此消费项目已禁用，所以不能进行[点单]！"));
        return Pick::Disabled;
    }

    if (!pad.locate(QStringLiteral("item_code"), code)) {
        if (right) return Pick::NoLine; // a right double click never adds a line

        const QString classCode = items.field(QStringLiteral("clas_code")).asString();
        // The kind comes from the class itself: the classes dataset may be filtered to another kind.
        const QString kind = db::scalarText(dm_->database(),
                                            QStringLiteral("SELECT kind_code FROM classlist WHERE clas_code = ?"),
                                            {classCode});
        const QString type = items.field(QStringLiteral("item_type_code")).asString();
        pad.append();
        pad.field(QStringLiteral("tabl_gues_auto_recn")).setValue(visitKey_);
        pad.field(QStringLiteral("desk_id")).setValue(dm_->deskId);
        pad.field(QStringLiteral("tabl_code")).setValue(tableCode_);
        pad.field(QStringLiteral("clas_code")).setValue(classCode);
        pad.field(QStringLiteral("kind_code")).setValue(kind);
        pad.field(QStringLiteral("item_code")).setValue(code);
        pad.field(QStringLiteral("item_type_code")).setValue(type);
        for (const char* f : {"item_unit_pric", "item_dedu_pric", "item_cost_pric"})
            pad.field(QString::fromLatin1(f)).setValue(items.field(QString::fromLatin1(f)).value());
        const double count = stock > 0 ? 1 : (limit != kLimited ? 1 : 0);
        pad.field(QStringLiteral("tabl_cons_coun")).setValue(count);
        pad.field(QStringLiteral("menu_type_code")).setValue(QString::fromLatin1(kModeOrdered));
        pad.field(QStringLiteral("item_type_flag")).setValue(1);
        pad.field(QStringLiteral("item_coun_flag")).setValue(1);
        pad.field(QStringLiteral("oper_code")).setValue(dm_->setup.text(QStringLiteral("oper_code")));
        pad.post();

        if (type == QLatin1String("2")) {
            addSetMenuComponents(code, items.field(QStringLiteral("item_name")).asString());
            reopenPad();
        }
        lastCheck_ = lineCheck();
        return Pick::Added;
    }

    pad.edit();
    const double count = pad.field(QStringLiteral("tabl_cons_coun")).asFloat();
    Pick result = Pick::Held;
    if (right) {
        if (count >= 1) {
            pad.field(QStringLiteral("tabl_cons_coun")).setValue(count - 1);
            result = Pick::Decreased;
        }
    } else if (count + 1 > stock && limit != kUnlimited) {
        result = Pick::Held;
    } else {
        const qint64 threshold = dm_->setup.integer(QStringLiteral("pay_set_stor_limi"));
        if (stock - count <= double(threshold) && limit != kUnlimited) prompter().information(stockWarning(threshold));
        pad.field(QStringLiteral("tabl_cons_coun")).setValue(count + 1);
        result = Pick::Increased;
    }
    pad.post();
    return result;
}

void Ordering::addSetMenuComponents(const QString& setMenuCode, const QString& setMenuName) {
    // One free line per direct component, its quantity that of one set menu (a commit
    // multiplies it by the set menu's quantity).
    db::exec(dm_->database(),
             QStringLiteral("INSERT INTO TableConsListTemp (kind_code, item_code, item_unit_pric, tabl_cons_coun, "
                            "tabl_gues_auto_recn, menu_type_code, item_type_code, cons_grou_narr, grou_code, "
                            "item_type_flag, clas_code, tabl_code, desk_id) "
                            "SELECT c.kind_code, g.item_code, i.item_unit_pric, g.grou_coun, ?, '3', i.item_type_code, "
                            "?, ?, 0, i.clas_code, ?, ? "
                            "FROM ItemGroup g, itemlist i, classlist c "
                            "WHERE i.clas_code = c.clas_code AND g.item_code = i.item_code "
                            "AND (g.grou_mix_code IS NULL OR g.grou_mix_code = '') AND g.grou_code = ? "
                            "ORDER BY g.grou_ID"),
             {visitKey_, QStringLiteral("套餐-") + setMenuName, setMenuCode, tableCode_, dm_->deskId, setMenuCode});
}

Ordering::Check Ordering::lineCheck() {
    const Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (padEmpty()) return Check::Skipped;
    const db::Field count = pad.field(QStringLiteral("tabl_cons_coun"));
    return lineCheck(count.isNull() ? QString() : number(count.asFloat()));
}

Ordering::Check Ordering::lineCheck(const QString& quantityText) {
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    lastCheck_ = Check::Skipped;
    if (padEmpty() || quantityText.trimmed().isEmpty()) return lastCheck_;
    const double q = parseNumber(quantityText.trimmed());
    const QString mode = pad.field(QStringLiteral("menu_type_code")).asString();
    const QString code = pad.field(QStringLiteral("item_code")).asString();

    auto refuse = [&](const QString& text) {
        if (!text.isEmpty()) prompter().information(text);
        pad.cancel();
        return lastCheck_ = Check::Refused;
    };
    if (mode == QLatin1String(kModeFree) && !main_->Limite(QStringLiteral("PB"))) return refuse(QString());
    if (mode == QLatin1String(kModeReturned) && !main_->Limite(QStringLiteral("CB"))) return refuse(QString());

    const double committed = MenuTypeSearch(dm_->database(), QString::fromLatin1(kModeOrdered), code, visitKey_);
    if (mode == QLatin1String(kModeReturned) && q > committed)
        return refuse(QStringLiteral("所选项目[退单数]超过[点单数]，所以不能退单！"));
    if (mode == QLatin1String(kModeFreeBack) &&
        q > MenuTypeSearch(dm_->database(), QString::fromLatin1(kModeFree), code, visitKey_))
        return refuse(QStringLiteral("所选项目[退赠数]超过[赠单数]，所以不能退赠！"));

    if (mode == QLatin1String(kModeOrdered) || mode == QLatin1String(kModeFree)) {
        // The stock as the catalogue holds it now.
        const ItemFacts item = itemFacts(dm_->database(), code);
        if (item.limit == kLimited) {
            if (q > item.stock) {
                prompter().information(QStringLiteral("[") + item.name + QStringLiteral("/") + number(item.stock) +
                                       QStringLiteral("]点单数已经超过库存数，请重新输入数量！"));
                pad.cancel();
                pad.edit();
                return lastCheck_ = Check::RefusedStock;
            }
            const qint64 threshold = dm_->setup.integer(QStringLiteral("pay_set_stor_limi"));
            if (item.stock < q + double(threshold)) prompter().information(stockWarning(threshold));
        }
    }
    setModeSigns(mode);
    return lastCheck_ = Check::Passed;
}

void Ordering::setModeSigns(const QString& mode) {
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    int price = 1, stock = 1;
    if (mode == QLatin1String(kModeReturned)) price = stock = -1;
    else if (mode == QLatin1String(kModeFree)) price = 0;
    else if (mode == QLatin1String(kModeFreeBack)) {
        price = 0;
        stock = -1;
    }
    pad.edit();
    pad.field(QStringLiteral("item_type_flag")).setValue(price);
    pad.field(QStringLiteral("item_coun_flag")).setValue(stock);
}

Ordering::Check Ordering::chooseMode(const QString& code, const QString& quantityText) {
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (padEmpty() || pad.field(QStringLiteral("item_code")).asString().isEmpty()) return Check::Skipped;
    pad.edit();
    pad.field(QStringLiteral("menu_type_code")).setValue(code);
    return lineCheck(quantityText);
}

Ordering::Check Ordering::chooseMode(const QString& code) {
    const Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (padEmpty()) return Check::Skipped;
    const db::Field count = pad.field(QStringLiteral("tabl_cons_coun"));
    return chooseMode(code, count.isNull() ? QString() : number(count.asFloat()));
}

bool Ordering::deleteLine() {
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (padEmpty()) return false;
    if (!askDefaultYes(QStringLiteral("请确定是否删除所选项目，删除后将不能恢复，请慎重!"))) return false;
    pad.cancel();
    if (pad.field(QStringLiteral("item_type_code")).asString() != QLatin1String("2")) {
        pad.remove();
        return true;
    }
    const QString code = pad.field(QStringLiteral("item_code")).asString();
    pad.close();
    db::exec(dm_->database(),
             QStringLiteral("DELETE FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                            "AND (item_code = ? OR grou_code = ?)"),
             {visitKey_, dm_->deskId, code, code});
    reopenPad();
    return true;
}

bool Ordering::confirmLeave() {
    if (padEmpty()) return true;
    return ask(QStringLiteral("请确定是否作废所选消费项目并返回操作界面，请选择(是/否)！"));
}

// ---------------------------------------------------------------- commit

bool Ordering::commit(StatusProgress* progress) {
    if (!askDefaultYes(QStringLiteral("请确定是否将所选[消费项目]作落单处理，请选择(是/否)！"))) return false;
    if (padEmpty()) return false;
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    pad.edit();
    pad.post();
    commitPad(progress);
    return true;
}

void Ordering::storeLineTotals(const QString& when) {
    storePadLineTotals(*dm_, visitKey_);
    db::exec(dm_->database(),
             QStringLiteral("UPDATE TableConsListTemp SET tabl_dedu_tota = tabl_cons_coun * item_dedu_pric * item_type_flag, "
                            "tabl_cost_tota = tabl_cons_coun * item_cost_pric * item_type_flag, tabl_cons_time = ? "
                            "WHERE tabl_gues_auto_recn = ? AND desk_id = ?"),
             {when, visitKey_, dm_->deskId});
}

void Ordering::requireStock(QSqlDatabase db, qint64 key, const QString& desk) {
    QSqlQuery shortItem = db::run(
        db,
        QStringLiteral("WITH uses AS ("
                       "SELECT item_code, tabl_cons_coun * item_coun_flag AS n FROM TableConsListTemp "
                       "WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                       "UNION ALL SELECT g.item_code, a.tabl_cons_coun * g.grou_coun * a.item_coun_flag "
                       "FROM TableConsListTemp a, ItemGroup g WHERE a.tabl_gues_auto_recn = ? AND a.desk_id = ? "
                       "AND a.item_type_code = '3' AND a.item_code = g.grou_code), "
                       "needs AS (SELECT item_code, SUM(n) AS need FROM uses GROUP BY item_code) "
                       "SELECT i.item_code, i.item_name, COALESCE(i.item_coun, 0) FROM itemlist i JOIN needs u "
                       "ON u.item_code = i.item_code WHERE i.item_limi = ? AND i.item_type_code IN ('1', '4') "
                       "AND u.need > 0 AND COALESCE(i.item_coun, 0) + 0.000001 < u.need ORDER BY i.item_code LIMIT 1"),
        {key, desk, key, desk, kLimited});
    if (!shortItem.next()) return;
    const QString code = shortItem.value(0).toString();
    const QString name = shortItem.value(1).toString();
    const double stock = shortItem.value(2).toDouble();
    shortItem.finish();
    Dataset* items = dm_->adoqry_ConsItem;
    QPointer<Dataset> itemsNow(items);
    throw StaleData(QStringLiteral("[") + name + QStringLiteral("/") + number(stock) +
                        QStringLiteral("]点单数已经超过库存数，请重新输入数量！"),
                    [itemsNow, code] {
                        if (itemsNow && itemsNow->active()) itemsNow->refreshRows(QStringLiteral("item_code"), {code});
                    });
}

void Ordering::commitPad(StatusProgress* progress) {
    QSqlDatabase db = dm_->database();
    const qint64 key = visitKey_;
    Dataset& items = *dm_->adoqry_ConsItem;
    Dataset& visit = *dm_->adoqry_TableGues;

    QVariantList changedItems;
    qint64 linesBefore = 0, linesAfter = 0;
    // Only this desk's lines of the pad: another desk may be ordering for the same visit.
    const QString desk = dm_->deskId;
    db::inTransaction(db, QStringLiteral("B100007"), [&] {
        // The visit is still open here: another desk may have checked it out, joined or moved
        // it since this order screen opened.
        requireVisitOpen(db, key);
        // The visit whose lines these are is the one recomputed.
        if (visit.isEmpty() || visit.field(QStringLiteral("tabl_gues_auto_recn")).asInt() != key) {
            visit.setFiltered(false);
            if (!visit.locate(QStringLiteral("tabl_gues_auto_recn"), key))
                throw DbError(QStringLiteral("visit %1 not found").arg(key));
        }
        // Its charges are computed from the stored lines: the row is read as stored now
        // (another desk may have committed to it meanwhile), unless the cashier is editing it.
        if (visit.state() == Dataset::Browse) visit.refreshCurrent();
        {
            // The item grids stay still while the pad is rewritten.
            ControlsOff still(items);

            // Line totals, commission and cost totals, the time of the commit.
            storeLineTotals(toDbDateTime(Clock::now()));
            step(progress);

            // The components of a set menu: its quantity times theirs, and its stock sign.
            const QString setMenu = QStringLiteral("(SELECT MIN(b.%1) FROM TableConsListTemp b WHERE b.tabl_gues_auto_recn = ? AND b.desk_id = ? "
                                                   "AND b.item_type_code = '2' AND b.item_code = TableConsListTemp.grou_code)");
            db::exec(db,
                     QStringLiteral("UPDATE TableConsListTemp SET tabl_cons_coun = tabl_cons_coun * %1, item_coun_flag = %2 "
                                    "WHERE tabl_gues_auto_recn = ? AND desk_id = ? AND grou_code IS NOT NULL AND EXISTS "
                                    "(SELECT 1 FROM TableConsListTemp b WHERE b.tabl_gues_auto_recn = ? AND b.desk_id = ? "
                                    "AND b.item_type_code = '2' AND b.item_code = TableConsListTemp.grou_code)")
                         .arg(setMenu.arg(QStringLiteral("tabl_cons_coun")), setMenu.arg(QStringLiteral("item_coun_flag"))),
                     {key, desk, key, desk, key, desk, key, desk});
            step(progress);

            // The names of the operator and the commission staff member.
            db::exec(db,
                     QStringLiteral("UPDATE TableConsListTemp SET oper_name = (SELECT b.oper_name FROM operatorlist b "
                                    "WHERE b.oper_code = TableConsListTemp.oper_code) WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                                    "AND oper_code IN (SELECT oper_code FROM operatorlist)"),
                     {key, desk});
            db::exec(db,
                     QStringLiteral("UPDATE TableConsListTemp SET dedu_oper_name = (SELECT b.dedu_oper_name "
                                    "FROM deduoperatorlist b WHERE b.dedu_oper_code = TableConsListTemp.dedu_oper_code) "
                                    "WHERE tabl_gues_auto_recn = ? AND desk_id = ? AND dedu_oper_code IN "
                                    "(SELECT dedu_oper_code FROM deduoperatorlist)"),
                     {key, desk});
            step(progress);

            // Service rates: the visit's rate on lines of classes that take a service charge,
            // set-menu components excepted; 100 (none) elsewhere.
            db::exec(db, QStringLiteral("UPDATE TableConsListTemp SET serv_perc = 100 WHERE tabl_gues_auto_recn = ? AND desk_id = ?"), {key, desk});
            const qint64 rate = visit.field(QStringLiteral("cons_mode_serv")).asInt();
            if (rate > 0)
                db::exec(db,
                         QStringLiteral("UPDATE TableConsListTemp SET serv_perc = ? WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                                        "AND grou_code IS NULL AND clas_code IN "
                                        "(SELECT clas_code FROM classlist WHERE COALESCE(clas_allo_serv, 0) <> 0)"),
                         {rate, key, desk});
        }

        // Counted stock still covers every use of this commit: another desk may have sold the
        // same items meanwhile. An item ordered on its own, inside a set menu and as an
        // ingredient of composites needs the sum of all its uses.
        requireStock(db, key, desk);

        // The lines become the visit's. Their counters follow every line stored so far, so the
        // lines of this commit are those after `linesBefore` up to `linesAfter`.
        linesBefore = db::scalarInt(db, QStringLiteral("SELECT COALESCE(MAX(tabl_cons_ID), 0) FROM TableConsList"));
        const QString columns = QString::fromLatin1(kCopiedColumns);
        db::exec(db,
                 // In the order they were put on the pad: the visit's lines keep it on either engine.
                 QStringLiteral("INSERT INTO TableConsList (%1) SELECT %1 FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                                "ORDER BY tabl_cons_ID")
                     .arg(columns),
                 {key, desk});
        linesAfter = db::scalarInt(
            db, QStringLiteral("SELECT COALESCE(MAX(tabl_cons_ID), 0) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {key});

        // Stock of single items with counted stock.
        db::exec(db,
                 QStringLiteral("UPDATE itemlist SET item_coun = COALESCE(item_coun, 0) - "
                                "(SELECT SUM(b.tabl_cons_coun * b.item_coun_flag) FROM TableConsListTemp b "
                                "WHERE b.tabl_gues_auto_recn = ? AND b.desk_id = ? AND b.item_code = itemlist.item_code) "
                                "WHERE item_type_code = '1' AND item_limi = ? AND item_code IN "
                                "(SELECT item_code FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ?)"),
                 {key, desk, kLimited, key, desk});
        // Stock of the components of items made of components.
        db::exec(db,
                 QStringLiteral("UPDATE itemlist SET item_coun = COALESCE(item_coun, 0) - "
                                "(SELECT SUM(a.tabl_cons_coun * g.grou_coun * a.item_coun_flag) "
                                "FROM TableConsListTemp a, ItemGroup g WHERE a.tabl_gues_auto_recn = ? AND a.desk_id = ? "
                                "AND a.item_type_code = '3' AND a.item_code = g.grou_code AND g.item_code = itemlist.item_code) "
                                "WHERE (item_type_code = '1' OR item_type_code = '4') AND item_code IN "
                                "(SELECT g.item_code FROM TableConsListTemp a, ItemGroup g WHERE a.tabl_gues_auto_recn = ? AND a.desk_id = ? "
                                "AND a.item_type_code = '3' AND a.item_code = g.grou_code)"),
                 {key, desk, key, desk});
        // The items whose stock this commit changed: those on the pad, the components of its
        // composites, and every set menu and composite (their counts follow their components).
        QSqlQuery touched = db::run(
            db,
            QStringLiteral("SELECT item_code FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ? "
                           "UNION SELECT g.item_code FROM TableConsListTemp a, ItemGroup g WHERE a.tabl_gues_auto_recn = ? AND a.desk_id = ? "
                           "AND a.item_code = g.grou_code UNION SELECT grou_code FROM ItemGroup"),
            {key, desk, key, desk});
        while (touched.next()) changedItems.append(touched.value(0));
        // The pad has done its work: its lines are the visit's now.
        db::exec(db, QStringLiteral("DELETE FROM TableConsListTemp WHERE tabl_gues_auto_recn = ? AND desk_id = ?"), {key, desk});
        step(progress);

        // What the stock now allows of every set menu and composite.
        db::updateDerivedCounts(db);
        step(progress);

        // The visit's subtotals and charges.
        storeVisitSubtotals(*dm_);
        visit.post();
        visit.edit();
        ReTotal(*dm_);
        visit.post();
    });

    reopenPad();
    // Only the items whose stock moved are read again.
    if (items.active()) items.refreshRows(QStringLiteral("item_code"), changedItems);
    else {
        items.setSql(orderableItemsSql());
        items.open();
    }
    dm_->adoqry_TableCons->setSql(
        QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {key});
    dm_->adoqry_TableCons->open();
    step(progress);
    // The kitchen's ticket of what was just committed, once the commit is stored: a printer
    // that fails leaves the lines unsent, for "后厨".
    sendCommittedToKitchen(*dm_, key, tableCode_, linesBefore, linesAfter);
}

// ---------------------------------------------------------------- catalogue changes

void Ordering::changePrice(const QString& newPriceText) {
    Dataset& items = *dm_->adoqry_ConsItem;
    Dataset& pad = *dm_->adoqry_TableConsTemp;
    if (!items.active() || items.isEmpty()) return;
    const double price = parseNumber(QStringLiteral("0") + newPriceText.trimmed());
    const QString code = items.field(QStringLiteral("item_code")).asString();
    items.edit();
    items.field(QStringLiteral("item_unit_pric")).setValue(price);
    items.post();
    if (pad.active() && pad.locate(QStringLiteral("item_code"), code)) {
        pad.edit();
        pad.field(QStringLiteral("item_unit_pric")).setValue(price);
        pad.post();
    }
}

Ordering::AddItem Ordering::addItem(const NewItem& item) {
    Dataset& items = *dm_->adoqry_ConsItem;
    // A new item the database refused before is dropped, so the corrected one can be saved.
    if (items.state() == Dataset::Insert) items.cancel();
    for (const QString* text : {&item.code, &item.name, &item.unit, &item.price, &item.shortCode}) {
        if (text->trimmed().isEmpty()) {
            prompter().information(QStringLiteral("所有项目内容皆不能为空，请重新输入后确认！"));
            return AddItem::Missing;
        }
    }
    const QString code = item.code.trimmed();
    if (items.locate(QStringLiteral("item_code"), code)) {
        prompter().information(QStringLiteral("[编码]有重复，请重新输入后确认！"));
        return AddItem::Duplicate;
    }
    if (!ask(QStringLiteral("是否追加此消费项目，请确定操作!"))) return AddItem::NotConfirmed;

    const QString classCode = dm_->adoqry_ConsClass->isEmpty()
                                  ? QString()
                                  : dm_->adoqry_ConsClass->field(QStringLiteral("clas_code")).asString();
    items.append();
    items.field(QStringLiteral("item_code")).setValue(code);
    items.field(QStringLiteral("clas_code")).setValue(classCode);
    items.field(QStringLiteral("item_name")).setValue(item.name);
    items.field(QStringLiteral("item_unit")).setValue(item.unit);
    items.field(QStringLiteral("item_unit_pric")).setValue(parseNumber(QStringLiteral("0") + item.price.trimmed()));
    items.field(QStringLiteral("item_dedu_pric")).setValue(0.0);
    items.field(QStringLiteral("item_cost_pric")).setValue(0.0);
    items.field(QStringLiteral("item_shor")).setValue(item.shortCode.trimmed());
    items.field(QStringLiteral("item_real")).setValue(true);
    items.field(QStringLiteral("item_limi")).setValue(kUnlimited);
    items.field(QStringLiteral("item_type_code")).setValue(QStringLiteral("1"));
    items.post(); // a refused code shows its message and stops here
    items.refresh();
    return AddItem::Added;
}

} // namespace kx::frontdesk
