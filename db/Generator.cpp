#include "Generator.h"

#include "Errors.h"
#include "Password.h"
#include "Sql.h"
#include "Transaction.h"
#include "Values.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTime>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kx::db {

namespace {

// SplitMix64: small, fast and the same on every platform, so a seed always gives one file.
class Rng {
  public:
    explicit Rng(quint64 seed) : s_(seed) {}
    quint64 next() {
        quint64 z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double real() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    int between(int lo, int hi) { return hi <= lo ? lo : lo + int(next() % quint64(hi - lo + 1)); }
    bool chance(double p) { return real() < p; }
    template <class T> const T& pick(const std::vector<T>& v) { return v[size_t(next() % v.size())]; }

  private:
    quint64 s_;
};

// A statement prepared once and run many times with new values.
class Statement {
  public:
    Statement(QSqlDatabase db, const QString& sql) : q_(db), sql_(sql) {
        q_.setForwardOnly(true);
        if (!q_.prepare(sql)) throw DbError(q_.lastError().text() + QLatin1Char('\n') + sql);
    }
    void run(const QVariantList& values = {}) {
        for (int i = 0; i < values.size(); ++i)
            q_.bindValue(i, values[i]);
        if (!q_.exec()) throw DbError(q_.lastError().text() + QLatin1Char('\n') + sql_);
    }

  private:
    QSqlQuery q_;
    QString sql_;
};

QString day0(const QDate& d) {
    return toDbDate(d);
}
// Moments of the history are kept in UTC: the same wall-clock text, without the time zone
// look-ups local time costs on every step.
QDateTime moment(const QDate& d, const QTime& t) {
    return QDateTime(d, t, Qt::UTC);
}
QString at(const QDateTime& t) {
    return toDbDateTime(t);
}
QVariant textOrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}
double cents(double x) {
    return roundHalfEven(x, 2);
}
double whole(double x) {
    return roundHalfEven(x, 0) + 0.0;
}
QString numberText(double x) {
    return QString::number(x == 0.0 ? 0.0 : x, 'g', 15);
}

// ---- the catalogue as the generator uses it -------------------------------------------

struct Item {
    QString code, name, clas, type, unit, limit;
    double price = 0, cost = 0;
    bool openPrice = false;
    bool limited() const { return limit == QStringLiteral("有限"); }
};
struct ClassInfo {
    QString kind, manu;
    bool disc = false, serv = false, special = false;
};
struct Part {
    QString item;
    double count = 0;
};
struct Table {
    QString code, name, type, typeName, dept, deptName, mode;
    double weight = 1;
};
struct Mode {
    QString code, name, type, typeName;
    double money = 0, quota = 0;
    int serv = 0;
    int rates[6] = {0, 0, 0, 0, 0, 0}; // booked, chosen, usher: standard and above
};
struct Band {
    QTime start, end;
    double price = 0;
};
struct Named {
    QString code, name;
};
struct Staff {
    QString code, name, group, groupName, area, areaName;
    double standard = 0;
};
struct Member {
    QString card, name;
    double surp = 0, use = 0;
};
struct Account {
    QString code, name;
    double limit = 0, use = 0;
};

// ---- one visit as the programs leave it -----------------------------------------------

struct Line {
    QString item, mode, group, groupNarr, narr, oper;
    double price = 0, count = 0, total = 0;
    QDateTime time;
    int disc = 100;
};

struct Visit {
    qint64 key = 0;
    int table = 0;
    int guests = 0;
    QString guestName, ticket;
    QDateTime open, end;
    QDate work;
    QString shift; // orde_code
    Named cashier;
    QString state = QStringLiteral("1"); // tabl_gues_stat
    bool inUse = false;
    double dish = 0, special = 0, servMain = 0, servSpec = 0, low = 0, room = 0, unit = 0, serv = 0;
    double disc = 0, shou = 0, fact = 0, none = 0, cost = 0;
    QString discCode = QStringLiteral("N");
    QString hangCode, hangName, memberCard, memberName;
    double hang = 0, member = 0;
    QString payNarr;
    int staff = -1;
    QString deduType;
    double dedu = 0;
    bool booked = false;
    std::vector<Line> lines;
    std::vector<std::pair<QString, double>> pays; // non-zero amounts by pay type
};

const char* const kVisitColumns =
    "tabl_gues_auto_recn,tabl_gues_user_recn,tabl_code,tabl_name,tabl_type_code,tabl_type_name,dept_code,"
    "dept_name,"
    "tabl_gues_coun,tabl_gues_name,tabl_gues_rema,tabl_gues_time,tabl_gues_time_end,tabl_gues_time_work,"
    "tabl_gues_use,tabl_gues_stat,orde_code,orde_name,oper_code,oper_name,cons_mode_code,cons_mode_name,"
    "cons_type_code,cons_type_name,cons_mode_serv,tabl_gues_dish,tabl_gues_spec,tabl_gues_serv_main,"
    "tabl_gues_serv_spec,tabl_gues_low,tabl_gues_room,tabl_gues_unit,tabl_gues_serv,disc_perc,disc_code,"
    "tabl_gues_disc,tabl_gues_tax_real,tabl_gues_tax,tabl_gues_shou,tabl_gues_fact,none_mone,cost_mone,hang_"
    "code,"
    "hang_name,hang_mone,memb_card_code,memb_name,memb_mone,tabl_gues_pay_narr,dedu_oper_code,dedu_oper_name,"
    "dedu_type,dedu_mone,grou_code,area_code,book_flag,book_oper_code,book_oper_name,grou_name,area_name,"
    "tota_y,"
    "tota_z,tota_l,tota_stan";
constexpr int kVisitColumnCount = 64;

// The 47 columns an order line shares with its archive copy.
const char* const kLineColumns =
    "tabl_gues_auto_recn,tabl_code,tabl_name,tabl_code_old,clas_code,clas_name,item_code,item_unit_pric,"
    "tabl_cons_coun,tabl_cons_tota,tabl_cons_time,tabl_cons_time_work,item_type_code,oper_code,oper_name,"
    "dedu_oper_code,dedu_oper_name,item_dedu_pric,item_cost_pric,tabl_dedu_tota,tabl_cost_tota,cons_grou_"
    "narr,"
    "cons_narr_code,cons_narr_name,manu_yorn,menu_type_code,menu_type_name,grou_code,item_coun_flag,"
    "item_type_flag,disc_clas_perc,tabl_disc_tota,tabl_cons_flag,tabl_gues_end,serv_perc,tabl_serv_tota,"
    "tabl_d_bill,tabl_z_bill,tabl_t_bill,tabl_tz_bill,dept_name,orde_name,kind_name,kind_code,manu_name,"
    "item_name,item_unit";

// The scratch line carries only what is not in the catalogue; everything else is taken from
// the catalogue and the visit in the INSERT … SELECT, as committing, checking out and
// clearing fill it.
const char* const kScratchLineColumns =
    "recn,item_code,price,coun,tota,time,mode,grou_code,grou_narr,narr,oper,disc";
const char* const kScratchPayColumns = "recn,code,amount";

// The scratch rows go in through SQLite's own interface on the connection's handle: binding
// a value there costs a fraction of what a QVariant bound through QSqlQuery does, and a day
// brings thousands of rows.
class RawStatement {
  public:
    RawStatement(sqlite3* handle, const QString& sql) : handle_(handle), sql_(sql) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &st_, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)) + QLatin1Char('\n') + sql);
    }
    ~RawStatement() { sqlite3_finalize(st_); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    void bind(int i, qint64 v) { sqlite3_bind_int64(st_, i, v); }
    void bind(int i, int v) { sqlite3_bind_int64(st_, i, v); }
    void bind(int i, double v) { sqlite3_bind_double(st_, i, v); }
    // Empty text is stored as NULL, as the programs leave an unset column.
    void bind(int i, const QString& v) {
        if (v.isEmpty()) {
            sqlite3_bind_null(st_, i);
            return;
        }
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(st_, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, const QVariant& v) {
        if (v.isNull()) {
            sqlite3_bind_null(st_, i);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            bind(i, v.toLongLong());
            return;
        case QMetaType::Double:
            bind(i, v.toDouble());
            return;
        default:
            bind(i, v.toString());
        }
    }
    void run() {
        const int rc = sqlite3_step(st_);
        sqlite3_reset(st_);
        if (rc != SQLITE_DONE)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(handle_)) + QLatin1Char('\n') + sql_);
    }

  private:
    sqlite3* handle_;
    QString sql_;
    sqlite3_stmt* st_ = nullptr;
};

sqlite3* sqliteHandle(QSqlDatabase db) {
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0 ||
        !*static_cast<sqlite3* const*>(v.constData()))
        throw DbError(QStringLiteral("the generator needs an SQLite connection"));
    return *static_cast<sqlite3* const*>(v.constData());
}

QString insertInto(const QString& table, const QString& columns) {
    QStringList marks;
    for (qsizetype i = 0; i < columns.count(QLatin1Char(',')) + 1; ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns, marks.join(QLatin1Char(',')));
}

// The SELECT list of the 47 line columns. `archive`: the copy clearing writes (names and the
// quantity per mode filled); otherwise the live line (names of the checkout filled once the
// visit is checked out).
QString lineSelect(bool archive) {
    const QString flag = QStringLiteral("(CASE l.mode WHEN '1' THEN 1 WHEN '2' THEN -1 ELSE 0 END)");
    const QString checked = QStringLiteral("v.tabl_gues_stat <> '2'");
    const auto after = [&](const QString& e) {
        return archive ? e : QStringLiteral("CASE WHEN %1 THEN %2 END").arg(checked, e);
    };
    const auto archived = [&](const QString& e) { return archive ? e : QStringLiteral("NULL"); };
    const auto perMode = [&](const char* mode) {
        return archive
                   ? QStringLiteral("CASE WHEN l.mode = '%1' THEN l.coun ELSE 0 END").arg(QLatin1String(mode))
                   : QStringLiteral("0");
    };
    const QStringList e = {
        QStringLiteral("l.recn"),
        QStringLiteral("v.tabl_code"),
        archived(QStringLiteral("t.tabl_name")),
        QStringLiteral("NULL"),
        QStringLiteral("i.clas_code"),
        archived(QStringLiteral("c.clas_name")),
        QStringLiteral("l.item_code"),
        QStringLiteral("l.price"),
        QStringLiteral("l.coun"),
        QStringLiteral("l.tota"),
        QStringLiteral("l.time"),
        after(QStringLiteral("v.tabl_gues_time_work")),
        QStringLiteral("i.item_type_code"),
        QStringLiteral("l.oper"),
        QStringLiteral("o.oper_name"),
        QStringLiteral("NULL"),
        QStringLiteral("NULL"),
        QStringLiteral("i.item_dedu_pric"),
        QStringLiteral("i.item_cost_pric"),
        QStringLiteral("l.coun * i.item_dedu_pric * ") + flag,
        QStringLiteral("l.coun * i.item_cost_pric * ") + flag,
        QStringLiteral("l.grou_narr"),
        QStringLiteral("l.narr"),
        archived(QStringLiteral("n.cons_narr_name")),
        QStringLiteral("0"),
        QStringLiteral("l.mode"),
        archived(QStringLiteral("mt.menu_type_name")),
        QStringLiteral("l.grou_code"),
        QStringLiteral("CASE WHEN l.mode IN ('1', '3') THEN 1 ELSE -1 END"),
        flag,
        QStringLiteral("l.disc"),
        QStringLiteral("0"),
        QStringLiteral("0"),
        archive ? QStringLiteral("1") : QStringLiteral("CASE WHEN %1 THEN 1 ELSE 0 END").arg(checked),
        QStringLiteral("100"),
        QStringLiteral("0"),
        perMode("1"),
        perMode("3"),
        perMode("2"),
        perMode("4"),
        after(QStringLiteral("v.dept_name")),
        after(QStringLiteral("v.orde_name")),
        after(QStringLiteral("k.kind_name")),
        QStringLiteral("c.kind_code"),
        after(QStringLiteral("m.manu_name")),
        after(QStringLiteral("i.item_name")),
        after(QStringLiteral("i.item_unit")),
    };
    return e.join(QStringLiteral(", ")) +
           QStringLiteral(" FROM gen_line l JOIN gen_visit v ON v.tabl_gues_auto_recn = l.recn "
                          "JOIN itemlist i ON i.item_code = l.item_code "
                          "LEFT JOIN classlist c ON c.clas_code = i.clas_code "
                          "LEFT JOIN kindlist k ON k.kind_code = c.kind_code "
                          "LEFT JOIN ManuFacturelist m ON m.manu_code = c.manu_code "
                          "LEFT JOIN OrderMenuType mt ON mt.menu_type_code = l.mode "
                          "LEFT JOIN ConsNarrList n ON n.cons_narr_code = l.narr "
                          "LEFT JOIN operatorlist o ON o.oper_code = l.oper "
                          "LEFT JOIN TableList t ON t.tabl_code = v.tabl_code "
                          "ORDER BY l.rowid");
}

const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "高", "罗"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "勇", "艳", "杰",
                                   "强", "军", "丽", "涛", "明", "超", "霞", "平", "刚", "华"};

class Writer {
  public:
    Writer(QSqlDatabase db, quint64 seed);

    // The venue's first day: `members` more stored-value cards with their opening top-ups.
    void openVenue(const QDate& day, int members);
    // A whole business day, opened, worked in the shifts, handed over and closed.
    void closedDay(const QDate& day, int visits);
    // The open business day: visits cleared so far in the first shift, a few tables in use
    // (`inUse` spread over the board, or four when unset), the settings row of an open day.
    void openDay(const QDate& day, int cleared, std::optional<int> inUse);
    // Visits of `day` cleared in the shift not yet handed over (live rows and archives).
    int clearedVisits(const QDate& day, int count, const QTime& from, const QTime& to);
    // Stock, balances and the visit counter back into their tables.
    void save();

    GenerateSummary summary;

  private:
    void loadCatalogue();
    QString shiftAt(const QTime& t) const;
    const Named& shiftNamed(const QString& code) const;
    const Named& cashierOf(const QString& shift) const;
    QString personName();

    std::vector<Visit> schedule(const QDate& day, int count, const QTime& from, const QTime& to,
                                const std::vector<int>& tables);
    void order(Visit& v);
    bool addLine(Visit& v, const Item& item, double count, const QString& mode, const QDateTime& time,
                 const QString& group = {}, const QString& groupNarr = {});
    bool takeStock(const Item& item, double count, int sign, bool apply);
    void bill(Visit& v);
    void pay(Visit& v, const QDate& day);
    void commission(Visit& v);
    double bandCharge(const Mode& mode, const QDateTime& from, const QDateTime& to) const;

    void stage(const std::vector<Visit>& visits);
    void flushArchive(bool handedOver);
    void flushLive();
    void clearStage();
    void restock(const QDate& day);
    void handover(const QDate& day, const QString& shift, const QDateTime& when,
                  const std::vector<Visit>& visits);
    void log(const QString& who, const QDateTime& when, const QString& what);
    void otherIncome(const QDate& day);

    QSqlDatabase db_;
    Rng rng_;

    std::vector<Item> items_;
    QHash<QString, int> itemIndex_;
    QHash<QString, ClassInfo> classes_;
    QHash<QString, std::vector<Part>> recipes_; // direct components of set menus and composites
    std::vector<int> food_, drinks_, setMenus_;
    std::vector<Table> tables_;
    QHash<QString, Mode> modes_;
    QHash<QString, std::vector<Band>> bands_;
    std::vector<Named> payTypes_; // in the order the bill screen lists them
    std::vector<Named> shifts_;
    std::vector<Named> operators_;
    std::vector<Named> narratives_;
    std::vector<Staff> staff_;
    std::vector<Member> members_;
    std::vector<Account> accounts_;
    std::map<QString, std::vector<std::pair<QString, int>>> schemes_; // scheme -> class rates
    std::vector<Named> otherIncome_;
    std::vector<Named> suppliers_;
    QString cardType_; // the first pay type of the venue's own (a bank card)
    QString memberTypeStored_;
    QString workType_;

    QHash<QString, double> stock_;
    std::vector<QString> stocked_; // the keys of stock_ in item-code order
    QHash<QString, double> initialStock_;
    std::deque<QHash<QString, double>> usage_; // stock used on the last days
    QHash<QString, double> usedToday_;
    qint64 nextKey_ = 1;
    qint64 nextBill_ = 1;
    qint64 nextBillLine_ = 1;
    QString passwordHash_;

    std::unique_ptr<RawStatement> insVisit_, insLine_, insPay_;
    std::unique_ptr<Statement> archGues_, archCons_, archPay_, liveGues_, liveCons_, livePay_;
    std::unique_ptr<Statement> clearVisit_, clearLine_, clearPay_;
    std::unique_ptr<Statement> insPayTotal_, insLog_, insOther_, insTopUp_, insRepay_, insBill_, insBillLine_;
};

Writer::Writer(QSqlDatabase db, quint64 seed) : db_(db), rng_(seed) {
    loadCatalogue();

    // Scratch tables of this connection: the visit with the archive's columns, the order lines
    // and payment amounts with what the catalogue does not hold.
    exec(db_, QStringLiteral("DROP TABLE IF EXISTS temp.gen_visit"));
    exec(db_, QStringLiteral("DROP TABLE IF EXISTS temp.gen_line"));
    exec(db_, QStringLiteral("DROP TABLE IF EXISTS temp.gen_pay"));
    exec(db_, QStringLiteral("CREATE TEMP TABLE gen_visit AS SELECT * FROM AllGues WHERE 0"));
    exec(db_, QStringLiteral("CREATE INDEX temp.gen_visit_recn ON gen_visit (tabl_gues_auto_recn)"));
    exec(db_,
         QStringLiteral("CREATE TEMP TABLE gen_line (recn INTEGER, item_code TEXT, price REAL, coun REAL, "
                        "tota REAL, time TEXT, mode TEXT, grou_code TEXT, grou_narr TEXT, narr TEXT, "
                        "oper TEXT, disc INTEGER)"));
    exec(db_, QStringLiteral("CREATE TEMP TABLE gen_pay (recn INTEGER, code TEXT, amount REAL, "
                             "PRIMARY KEY (recn, code)) WITHOUT ROWID"));

    const QString visitCols = QString::fromLatin1(kVisitColumns);
    sqlite3* handle = sqliteHandle(db_);
    insVisit_ = std::make_unique<RawStatement>(handle, insertInto(QStringLiteral("gen_visit"), visitCols));
    insLine_ = std::make_unique<RawStatement>(
        handle, insertInto(QStringLiteral("gen_line"), QString::fromLatin1(kScratchLineColumns)));
    insPay_ = std::make_unique<RawStatement>(
        handle, insertInto(QStringLiteral("gen_pay"), QString::fromLatin1(kScratchPayColumns)));

    const QString lineList = QString::fromLatin1(kLineColumns);
    archGues_ =
        std::make_unique<Statement>(db_, QStringLiteral("INSERT INTO AllGues (%1) SELECT %1 FROM gen_visit "
                                                        "ORDER BY tabl_gues_auto_recn")
                                             .arg(visitCols));
    archCons_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO AllCons (%1) SELECT %2").arg(lineList, lineSelect(true)));
    // Every pay type is written for every checked-out visit, also those with amount 0.
    const QString paySelect = QStringLiteral(
        "SELECT p.pay_type_code, p.pay_type_name, COALESCE(g.amount, 0), v.tabl_gues_auto_recn, %1, "
        "v.tabl_gues_time_work, %2, %3, %4 FROM gen_visit v CROSS JOIN PayTypeList p "
        "LEFT JOIN gen_pay g ON g.recn = v.tabl_gues_auto_recn AND g.code = p.pay_type_code "
        "WHERE v.tabl_gues_stat <> '2' ORDER BY v.tabl_gues_auto_recn, p.pay_type_code DESC");
    archPay_ = std::make_unique<Statement>(
        db_, QStringLiteral(
                 "INSERT INTO AllGuesPay (pay_type_code, pay_type_name, pay_type_mone, tabl_gues_auto_recn, "
                 "pay_flag, pay_time, dept_name, orde_name, oper_name) ") +
                 paySelect.arg(QStringLiteral("?"), QStringLiteral("v.dept_name"),
                               QStringLiteral("v.orde_name"), QStringLiteral("v.oper_name")));
    QStringList liveVisitCols;
    {
        QSqlQuery q = run(db_, QStringLiteral("PRAGMA table_info(TableGuestlist)"));
        while (q.next())
            liveVisitCols << q.value(1).toString();
    }
    liveGues_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO TableGuestlist (%1) SELECT %1 FROM gen_visit "
                            "ORDER BY tabl_gues_auto_recn")
                 .arg(liveVisitCols.join(QLatin1Char(','))));
    liveCons_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO TableConsList (%1, tabl_cons_tran) SELECT %2")
                 .arg(lineList, lineSelect(false).replace(QStringLiteral(" FROM gen_line"),
                                                          QStringLiteral(", 1 FROM gen_line"))));
    // The names reach the payment lines when the table is cleared.
    const QString cleared = QStringLiteral("CASE WHEN v.tabl_gues_use = 0 THEN v.%1 END");
    livePay_ = std::make_unique<Statement>(
        db_,
        QStringLiteral(
            "INSERT INTO tableguespay (pay_type_code, pay_type_name, pay_type_mone, tabl_gues_auto_recn, "
            "pay_flag, pay_time, dept_name, orde_name, oper_name) ") +
            paySelect.arg(QStringLiteral("0"), cleared.arg(QStringLiteral("dept_name")),
                          cleared.arg(QStringLiteral("orde_name")),
                          cleared.arg(QStringLiteral("oper_name"))));
    clearVisit_ = std::make_unique<Statement>(db_, QStringLiteral("DELETE FROM gen_visit"));
    clearLine_ = std::make_unique<Statement>(db_, QStringLiteral("DELETE FROM gen_line"));
    clearPay_ = std::make_unique<Statement>(db_, QStringLiteral("DELETE FROM gen_pay"));

    insPayTotal_ = std::make_unique<Statement>(
        db_,
        QStringLiteral(
            "INSERT INTO Allpaytotal (pay_date_work, pay_rema, pay_type_code, pay_type_name, pay_star_mone, "
            "pay_type_mone, pay_type_coun, pay_fact_mone, pay_date, oper_code, oper_name) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?)"));
    insLog_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO systemlog (log_oper_name, log_time, log_oper) VALUES (?,?,?)"));
    insOther_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO AllOtherInCome (othe_inco_code, othe_inco_name, "
                            "othe_inco_mone, othe_inco_time) VALUES (?,?,?,?)"));
    insTopUp_ = std::make_unique<Statement>(
        db_, QStringLiteral("INSERT INTO membManage (memb_card_code, memb_card_type, "
                            "memb_mana_save, memb_mana_inte, memb_mana_rema) "
                            "VALUES (?,?,?,0,?)"));
    insRepay_ = std::make_unique<Statement>(
        db_,
        QStringLiteral(
            "INSERT INTO Hangguesin (hang_gues_code, hang_gues_name, hang_gues_inco, hang_gues_inco_date, "
            "oper_code, oper_name, time_fact) VALUES (?,?,?,?,?,?,?)"));
    insBill_ = std::make_unique<Statement>(
        db_,
        QStringLiteral(
            "INSERT INTO AllStoreBill (stor_bill_ID, stor_bill_code, stor_bill_type, stor_work_type_code, "
            "work_code, work_name_s, oper_code, stor_pay_shou, stor_pay_fact, stor_inco_shou, "
            "stor_inco_fact, stor_bill_rema, stor_bill_run, stor_bill_date, stor_bill_date_work, "
            "stor_deta_flag) VALUES (?,?,'进货单',?,?,?,?,?,?,0,0,?,0,?,?,1)"));
    insBillLine_ = std::make_unique<Statement>(
        db_,
        QStringLiteral(
            "INSERT INTO AllStoreDetail (stor_deta_ID, stor_bill_ID, stor_bill_code, item_code, item_name, "
            "item_unit, item_cost_pric, item_coun, item_mone, stor_bill_date, stor_bill_date_work, "
            "stor_deta_flag) VALUES (?,?,?,?,?,?,?,?,?,?,?,1)"));
}

void Writer::loadCatalogue() {
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT clas_code, kind_code, manu_code, clas_allo_disc, clas_allo_serv, "
                                    "clas_allo_spec FROM classlist"));
        while (q.next())
            classes_.insert(q.value(0).toString(),
                            {q.value(1).toString(), q.value(2).toString(), variantToBool(q.value(3)),
                             variantToBool(q.value(4)), variantToBool(q.value(5))});
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral(
                         "SELECT item_code, item_name, clas_code, item_type_code, item_unit, item_limi, "
                         "item_unit_pric, item_cost_pric, item_real, item_coun FROM itemlist "
                         "ORDER BY item_code"));
        while (q.next()) {
            Item it{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                    q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                    q.value(6).toDouble(), q.value(7).toDouble(), variantToBool(q.value(8))};
            itemIndex_.insert(it.code, int(items_.size()));
            if (it.limited() && (it.type == QLatin1String("1") || it.type == QLatin1String("4"))) {
                stock_.insert(it.code, q.value(9).toDouble());
                stocked_.push_back(it.code);
                initialStock_.insert(it.code, std::max(q.value(9).toDouble(), 10.0));
            }
            items_.push_back(it);
        }
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT grou_code, item_code, grou_coun FROM ItemGroup "
                                    "WHERE grou_mix_code IS NULL OR grou_mix_code = '' ORDER BY grou_ID"));
        while (q.next())
            recipes_[q.value(0).toString()].push_back({q.value(1).toString(), q.value(2).toDouble()});
    }
    for (int i = 0; i < int(items_.size()); ++i) {
        const Item& it = items_[i];
        if (it.type == QLatin1String("4") || it.price <= 0) continue;
        if (it.type == QLatin1String("2")) {
            if (recipes_.contains(it.code)) setMenus_.push_back(i);
            continue;
        }
        // What the bar produces is a drink; everything else comes from the kitchen.
        (classes_.value(it.clas).manu == QLatin1String("1") ? drinks_ : food_).push_back(i);
    }
    if (food_.empty() && drinks_.empty()) throw DbError(QStringLiteral("the venue has no items to order"));
    if (food_.empty()) food_ = drinks_;
    if (drinks_.empty()) drinks_ = food_;

    {
        QSqlQuery q =
            run(db_, QStringLiteral(
                         "SELECT m.cons_mode_code, m.cons_mode_name, m.cons_type_code, t.cons_type_name, "
                         "m.cons_mode_mone, m.cons_mode_serv, m.cons_mode_achi, "
                         "m.cons_mode_pred_stan, m.cons_mode_pred_abov, m.cons_mode_spec_stan, "
                         "m.cons_mode_spec_abov, m.cons_mode_lead_stan, m.cons_mode_lead_abov "
                         "FROM ConsModeList m LEFT JOIN ConsTypeList t "
                         "ON t.cons_type_code = m.cons_type_code"));
        while (q.next()) {
            Mode m;
            m.code = q.value(0).toString();
            m.name = q.value(1).toString();
            m.type = q.value(2).toString();
            m.typeName = q.value(3).toString();
            m.money = q.value(4).toDouble();
            m.serv = q.value(5).toInt();
            m.quota = q.value(6).toDouble();
            for (int r = 0; r < 6; ++r)
                m.rates[r] = q.value(7 + r).toInt();
            modes_.insert(m.code, m);
        }
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT cons_mode_code, cons_time_star, cons_time_end, cons_time_mone "
                                    "FROM ConsTimeMode ORDER BY cons_time_code"));
        while (q.next())
            bands_[q.value(0).toString()].push_back({fromDbDateTime(q.value(1).toString()).time(),
                                                     fromDbDateTime(q.value(2).toString()).time(),
                                                     q.value(3).toDouble()});
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT t.tabl_code, t.tabl_name, t.tabl_type_code, y.tabl_type_name, "
                                    "t.dept_code, d.dept_name, y.cons_mode_code FROM TableList t "
                                    "LEFT JOIN TableTypeList y ON y.tabl_type_code = t.tabl_type_code "
                                    "LEFT JOIN DepartmentList d ON d.dept_code = t.dept_code "
                                    "WHERE COALESCE(t.tabl_stat_code, '1') <> '6' ORDER BY t.tabl_code"));
        while (q.next()) {
            Table t{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                    q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                    q.value(6).toString()};
            const QString type = modes_.value(t.mode).type;
            // Hall tables turn over most, booths next, rooms and KTV least.
            t.weight = type == QLatin1String("1") ? 3.0 : type == QLatin1String("7") ? 2.0 : 1.2;
            tables_.push_back(t);
        }
    }
    if (tables_.empty()) throw DbError(QStringLiteral("the venue has no tables"));
    const auto named = [&](const QString& sql, std::vector<Named>& out) {
        QSqlQuery q = run(db_, sql);
        while (q.next())
            out.push_back({q.value(0).toString(), q.value(1).toString()});
    };
    named(QStringLiteral("SELECT pay_type_code, pay_type_name FROM PayTypeList ORDER BY pay_type_code DESC"),
          payTypes_);
    named(QStringLiteral("SELECT orde_code, orde_name FROM OrderList ORDER BY orde_code"), shifts_);
    named(QStringLiteral("SELECT oper_code, oper_name FROM operatorlist ORDER BY oper_code"), operators_);
    named(QStringLiteral("SELECT cons_narr_code, cons_narr_name FROM ConsNarrList ORDER BY cons_narr_code"),
          narratives_);
    named(
        QStringLiteral("SELECT othe_inco_code, othe_inco_name FROM OtherIncomeList ORDER BY othe_inco_code"),
        otherIncome_);
    named(QStringLiteral("SELECT work_code, work_name_s FROM WorkList WHERE stor_work_type_code = "
                         "(SELECT MIN(stor_work_type_code) FROM StoreWorkType) ORDER BY work_code"),
          suppliers_);
    if (shifts_.empty()) shifts_.push_back({QStringLiteral("1"), QString()});
    if (operators_.empty()) operators_.push_back({QStringLiteral("01"), QString()});
    for (const Named& p : payTypes_) {
        const QString& c = p.code;
        if (c != QLatin1String("Z") && c != QLatin1String("R") && c != QLatin1String("H") &&
            c != QLatin1String("M") && cardType_.isEmpty())
            cardType_ = c;
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral(
                         "SELECT d.dedu_oper_code, d.dedu_oper_name, d.grou_code, g.grou_name, "
                         "g.area_code, a.area_name, d.dedu_oper_stan FROM deduoperatorlist d "
                         "LEFT JOIN GroupList g ON g.grou_code = d.grou_code "
                         "LEFT JOIN AreaList a ON a.area_code = g.area_code ORDER BY d.dedu_oper_code"));
        while (q.next())
            staff_.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                              q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                              q.value(6).toDouble()});
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT memb_card_code, memb_name, memb_surp, memb_use FROM MemberList "
                                    "WHERE memb_card_type = '储值卡' ORDER BY memb_card_code"));
        while (q.next())
            members_.push_back(
                {q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble()});
        memberTypeStored_ =
            scalarText(db_, QStringLiteral("SELECT memb_type_code FROM MemberList WHERE memb_card_type = "
                                           "'储值卡' ORDER BY memb_card_code"));
    }
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT hang_gues_code, hang_gues_name, hang_gues_limi, hang_gues_use "
                                    "FROM HangGues ORDER BY hang_gues_code"));
        while (q.next())
            accounts_.push_back(
                {q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble()});
    }
    {
        QSqlQuery q = run(db_, QStringLiteral("SELECT disc_code, clas_code, disc_clas_perc FROM DiscItem "
                                              "WHERE disc_code <> 'N' ORDER BY disc_ID"));
        while (q.next())
            schemes_[q.value(0).toString()].push_back({q.value(1).toString(), q.value(2).toInt()});
    }
    workType_ = scalarText(db_, QStringLiteral("SELECT MIN(stor_work_type_code) FROM StoreWorkType"));
    nextKey_ = std::max<qint64>(1, scalarInt(db_, QStringLiteral("SELECT auto_recn FROM SetupPay")));
    nextBill_ = 1 + std::max(scalarInt(db_, QStringLiteral("SELECT MAX(stor_bill_ID) FROM AllStoreBill")),
                             scalarInt(db_, QStringLiteral("SELECT MAX(stor_bill_ID) FROM StoreBill")));
    nextBillLine_ =
        1 + std::max(scalarInt(db_, QStringLiteral("SELECT MAX(stor_deta_ID) FROM AllStoreDetail")),
                     scalarInt(db_, QStringLiteral("SELECT MAX(stor_deta_ID) FROM StoreDetail")));
}

QString Writer::shiftAt(const QTime& t) const {
    const int n = int(shifts_.size());
    if (n == 1) return shifts_[0].code;
    if (n == 3) return shifts_[t < QTime(14, 0) ? 0 : t < QTime(18, 0) ? 1 : 2].code;
    const int minute = std::clamp(t.hour() * 60 + t.minute() - 600, 0, 14 * 60 - 1);
    return shifts_[size_t(minute * n / (14 * 60))].code;
}

const Named& Writer::shiftNamed(const QString& code) const {
    for (const Named& s : shifts_)
        if (s.code == code) return s;
    return shifts_.front();
}

// The cashier of a shift: the cashiers take turns, the manager the late shift.
const Named& Writer::cashierOf(const QString& shift) const {
    const int index =
        int(std::find_if(shifts_.begin(), shifts_.end(), [&](const Named& s) { return s.code == shift; }) -
            shifts_.begin());
    if (operators_.size() == 1) return operators_[0];
    if (index == int(shifts_.size()) - 1 && shifts_.size() > 1) return operators_[0];
    return operators_[1];
}

QString Writer::personName() {
    const QString surname = QString::fromUtf8(kSurnames[rng_.between(0, 19)]);
    switch (rng_.between(0, 2)) {
    case 0:
        return surname + QStringLiteral("先生");
    case 1:
        return surname + QStringLiteral("女士");
    default:
        return surname + QString::fromUtf8(kGivenNames[rng_.between(0, 19)]);
    }
}

void Writer::openVenue(const QDate& day, int members) {
    if (members <= 0 || memberTypeStored_.isEmpty()) return;
    // One slow hash serves every card: hashing thousands of passwords one by one takes minutes.
    if (passwordHash_.isEmpty()) passwordHash_ = hashPassword(QStringLiteral("123456"));
    QSet<QString> taken;
    {
        QSqlQuery q = run(db_, QStringLiteral("SELECT memb_card_code FROM MemberList"));
        while (q.next())
            taken.insert(q.value(0).toString());
    }
    Statement card(
        db_,
        QStringLiteral("INSERT INTO MemberList (memb_card_code, memb_type_code, memb_card_type, memb_pass, "
                       "memb_name, memb_tele, memb_time_allo, memb_time_end, memb_disc_perc, memb_surp, "
                       "memb_use, memb_stor, memb_stor_temp) "
                       "VALUES (?,?,'储值卡',?,?,?,0,?,0,?,0,0,0)"));
    for (int i = 0, added = 0; added < members; ++i) {
        const QString code = QStringLiteral("88%1").arg(10001 + i, 5, 10, QLatin1Char('0'));
        if (taken.contains(code)) continue;
        ++added;
        const QString name = QString::fromUtf8(kSurnames[rng_.between(0, 19)]) +
                             QString::fromUtf8(kGivenNames[rng_.between(0, 19)]);
        const double topUp = 500.0 * rng_.between(1, 4);
        card.run({code, memberTypeStored_, passwordHash_, name,
                  QStringLiteral("139%1").arg(rng_.between(10000000, 99999999)), day0(day), topUp});
        insTopUp_->run({code, QStringLiteral("储值卡"), topUp, QStringLiteral("开卡充值")});
        members_.push_back({code, name, topUp, 0});
    }
}

// ---- visits ---------------------------------------------------------------------------

std::vector<Visit> Writer::schedule(const QDate& day, int count, const QTime& from, const QTime& to,
                                    const std::vector<int>& tables) {
    std::vector<Visit> out;
    if (count <= 0 || tables.empty()) return out;
    double totalWeight = 0;
    for (int t : tables)
        totalWeight += tables_[t].weight;
    std::vector<int> perTable(tables.size(), 0);
    for (int i = 0; i < count; ++i) {
        double r = rng_.real() * totalWeight;
        size_t k = 0;
        while (k + 1 < tables.size() && r >= tables_[tables[k]].weight) {
            r -= tables_[tables[k]].weight;
            ++k;
        }
        ++perTable[k];
    }
    const int span = std::max(30, from.secsTo(to) / 60);
    for (size_t k = 0; k < tables.size(); ++k) {
        const int n = perTable[k];
        if (n == 0) continue;
        const double slot = double(span) / n;
        for (int j = 0; j < n; ++j) {
            Visit v;
            v.table = tables[k];
            const int start = int(j * slot + rng_.real() * 0.15 * slot);
            const int length = std::clamp(int(slot * (0.55 + 0.3 * rng_.real())), 8, 240);
            v.open = moment(day, from).addSecs(qint64(start) * 60 + rng_.between(0, 59));
            v.end = v.open.addSecs(qint64(length) * 60);
            v.work = day;
            out.push_back(std::move(v));
        }
    }
    std::sort(out.begin(), out.end(), [](const Visit& a, const Visit& b) {
        return a.open != b.open ? a.open < b.open : a.table < b.table;
    });
    // Keys are drawn at opening, in the order the tables were opened.
    for (Visit& v : out)
        v.key = nextKey_++;
    return out;
}

bool Writer::takeStock(const Item& item, double count, int sign, bool apply) {
    // What one unit of the item draws from stock: itself, or a composite's ingredients.
    std::vector<Part> needs;
    if (item.type == QLatin1String("3")) {
        for (const Part& p : recipes_.value(item.code))
            needs.push_back({p.item, p.count * count});
    } else if (item.type == QLatin1String("1")) {
        needs.push_back({item.code, count});
    }
    if (sign > 0) {
        for (const Part& p : needs) {
            auto it = stock_.find(p.item);
            if (it != stock_.end() && *it < p.count - 1e-9) return false;
        }
    }
    if (!apply) return true;
    for (const Part& p : needs) {
        auto it = stock_.find(p.item);
        if (it == stock_.end()) continue;
        *it = cents(*it - sign * p.count);
        usedToday_[p.item] += sign * p.count;
    }
    return true;
}

bool Writer::addLine(Visit& v, const Item& item, double count, const QString& mode, const QDateTime& time,
                     const QString& group, const QString& groupNarr) {
    const int stockSign = (mode == QLatin1String("1") || mode == QLatin1String("3")) ? 1 : -1;
    if (!takeStock(item, count, stockSign, true)) return false;
    Line l;
    l.item = item.code;
    l.mode = mode;
    l.count = count;
    l.price = item.price;
    if (item.openPrice) l.price = whole(item.price * (0.85 + 0.4 * rng_.real()));
    const int priceSign = mode == QLatin1String("1") ? 1 : mode == QLatin1String("2") ? -1 : 0;
    l.total = cents(count * l.price * priceSign);
    l.time = time;
    l.group = group;
    l.groupNarr = groupNarr;
    l.oper = operators_.size() > 2 ? operators_[2].code : operators_.back().code;
    if (group.isEmpty() && !narratives_.empty() && classes_.value(item.clas).manu != QLatin1String("1") &&
        rng_.chance(0.1))
        l.narr = rng_.pick(narratives_).code;
    v.lines.push_back(l);
    return true;
}

void Writer::order(Visit& v) {
    const Table& table = tables_[v.table];
    const QString type = modes_.value(table.mode).type;
    const bool hall = type == QLatin1String("1") || type == QLatin1String("7");
    const bool ktv = type == QLatin1String("3") || type == QLatin1String("9");
    v.guests =
        hall ? rng_.between(1, type == QLatin1String("7") ? 4 : 6) : rng_.between(ktv ? 2 : 6, ktv ? 10 : 14);
    const qint64 stay = v.open.secsTo(v.end);
    const QDateTime first = v.open.addSecs(std::min<qint64>(300, stay / 4));
    const QDateTime later = v.open.addSecs(stay / 2);

    // A set menu now and then, its components as free lines of their own.
    if (!setMenus_.empty() && rng_.chance(0.12)) {
        const Item& set = items_[size_t(rng_.pick(setMenus_))];
        const double sets = v.guests >= 6 ? 2 : 1;
        std::vector<std::pair<const Item*, double>> parts;
        bool available = true;
        for (const Part& p : recipes_.value(set.code)) {
            const auto idx = itemIndex_.find(p.item);
            if (idx == itemIndex_.end()) continue;
            parts.push_back({&items_[size_t(*idx)], p.count * sets});
            available = available && takeStock(items_[size_t(*idx)], p.count * sets, 1, false);
        }
        if (available && addLine(v, set, sets, QStringLiteral("1"), first)) {
            for (const auto& [item, count] : parts)
                addLine(v, *item, count, QStringLiteral("3"), first, set.code,
                        QStringLiteral("套餐-") + set.name);
        }
    }

    const int target = int(v.lines.size()) + 4 + v.guests / 2 + rng_.between(0, 4);
    for (int tries = 0; int(v.lines.size()) < target && tries < target * 3; ++tries) {
        const bool drink = rng_.chance(ktv ? 0.6 : 0.35);
        const Item& item = items_[size_t(rng_.pick(drink ? drinks_ : food_))];
        double count = 1;
        if (item.price <= 3)
            count = v.guests;
        else if (drink && item.price <= 12)
            count = rng_.between(1, std::max(2, v.guests));
        else if (drink && item.price < 100)
            count = rng_.between(1, 2);
        else if (!drink && v.guests >= 6 && rng_.chance(0.2))
            count = 2;
        const QDateTime when = rng_.chance(0.75) ? first : later;
        // Picking an item already ordered raises its line.
        auto same = std::find_if(v.lines.begin(), v.lines.end(), [&](const Line& l) {
            return l.item == item.code && l.mode == QLatin1String("1") && l.group.isEmpty();
        });
        if (same != v.lines.end()) {
            if (takeStock(item, count, 1, true)) {
                same->count += count;
                same->total = cents(same->count * same->price);
            }
            continue;
        }
        addLine(v, item, count, QStringLiteral("1"), when);
    }
    // Something on the house; a dish sent back; a free item given back.
    if (rng_.chance(0.15))
        addLine(v, items_[size_t(rng_.pick(rng_.chance(0.5) ? drinks_ : food_))], 1, QStringLiteral("3"),
                later);
    if (rng_.chance(0.04)) {
        for (const Line& l : v.lines) {
            if (l.mode == QLatin1String("1") && l.group.isEmpty() &&
                items_[size_t(itemIndex_.value(l.item))].type != QLatin1String("2")) {
                const Item& item = items_[size_t(itemIndex_.value(l.item))];
                const QDateTime when = later.addSecs(600);
                addLine(v, item, 1, QStringLiteral("2"), when);
                break;
            }
        }
    }
    if (rng_.chance(0.05)) {
        for (const Line& l : v.lines) {
            if (l.mode == QLatin1String("3") && l.group.isEmpty()) {
                const Item& item = items_[size_t(itemIndex_.value(l.item))];
                addLine(v, item, l.count, QStringLiteral("4"), later.addSecs(900));
                break;
            }
        }
    }
}

double Writer::bandCharge(const Mode& mode, const QDateTime& from, const QDateTime& to) const {
    double total = 0;
    for (const Band& b : bands_.value(mode.code)) {
        if (!b.start.isValid() || !b.end.isValid() || b.start == b.end) continue;
        for (QDate d = from.date().addDays(-1); d <= to.date(); d = d.addDays(1)) {
            const QDateTime s = moment(d, b.start);
            const QDateTime e = moment(b.start < b.end ? d : d.addDays(1), b.end);
            const QDateTime a = std::max(s, from), z = std::min(e, to);
            if (a < z) total += b.price * double(a.secsTo(z)) / 3600.0;
        }
    }
    return total;
}

// The bill as the bill screen computes it: subtotals of the lines, the consumption mode's
// charge, service, a discount scheme now and then, the receivable rounded to whole money.
void Writer::bill(Visit& v) {
    const Table& table = tables_[v.table];
    const Mode mode = modes_.value(table.mode);
    if (!schemes_.empty() && rng_.chance(0.08)) {
        auto it = schemes_.begin();
        std::advance(it, rng_.between(0, int(schemes_.size()) - 1));
        v.discCode = it->first;
        for (Line& l : v.lines) {
            if (!l.group.isEmpty() || !classes_.value(items_[size_t(itemIndex_.value(l.item))].clas).disc)
                continue;
            for (const auto& [clas, perc] : it->second)
                if (clas == items_[size_t(itemIndex_.value(l.item))].clas) l.disc = perc;
        }
    }
    double discount = 0;
    for (const Line& l : v.lines) {
        const Item& item = items_[size_t(itemIndex_.value(l.item))];
        const ClassInfo c = classes_.value(item.clas);
        (c.special ? v.special : v.dish) += l.total;
        if (c.serv) (c.special ? v.servSpec : v.servMain) += l.total;
        const int priceSign = l.mode == QLatin1String("1") ? 1 : l.mode == QLatin1String("2") ? -1 : 0;
        v.cost += l.count * item.cost * priceSign;
        if (!c.special) discount += l.total * (100 - l.disc) * 0.01;
    }
    v.dish = cents(v.dish);
    v.special = cents(v.special);
    v.servMain = cents(v.servMain);
    v.servSpec = cents(v.servSpec);
    v.cost = cents(v.cost);
    v.unit = mode.money;
    const double hours = double(v.open.secsTo(v.end)) / 3600.0;
    const QString& t = mode.type;
    if (t == QLatin1String("2"))
        v.low = mode.money;
    else if (t == QLatin1String("5"))
        v.low = mode.money * v.guests;
    else if (t == QLatin1String("3"))
        v.room = mode.money * std::ceil(hours - 1e-9);
    else if (t == QLatin1String("4") || t == QLatin1String("8") || t == QLatin1String("A"))
        v.room = mode.money;
    else if (t == QLatin1String("6"))
        v.room = whole(mode.money * hours);
    else if (t == QLatin1String("7"))
        v.room = mode.money * v.guests;
    else if (t == QLatin1String("9"))
        v.room = whole(bandCharge(mode, v.open, v.end));
    v.serv = v.low >= v.dish ? whole(mode.serv * (v.low + v.servSpec) * 0.01)
                             : whole(mode.serv * (v.servMain + v.servSpec + v.room) * 0.01);
    v.disc = whole(discount);
    v.shou = whole(std::max(v.dish, v.low) + v.special + v.room + v.serv - v.disc);
    if (v.shou < 0) v.shou = 0;
}

void Writer::commission(Visit& v) {
    const Table& table = tables_[v.table];
    const Mode mode = modes_.value(table.mode);
    if (staff_.empty() || mode.quota <= 0 || !rng_.chance(0.3)) return;
    v.staff = rng_.between(0, int(staff_.size()) - 1);
    static const char* const kinds[] = {"预  定", "指  定", "领  位"};
    const int kind = rng_.between(0, 2);
    v.deduType = QString::fromUtf8(kinds[kind]);
    const double base = v.fact;
    if (base > mode.quota)
        v.dedu = whole(mode.rates[kind * 2] * mode.quota * 0.01 +
                       mode.rates[kind * 2 + 1] * (base - mode.quota) * 0.01);
}

void Writer::pay(Visit& v, const QDate& day) {
    v.state = QStringLiteral("3");
    // Now and then the odd amount is waived, very rarely the whole bill.
    if (rng_.chance(0.002))
        v.none = v.shou;
    else if (rng_.chance(0.02))
        v.none = std::fmod(v.shou, 10.0);
    v.fact = whole(v.shou - v.none);
    double card = 0;
    const double r = rng_.real();
    if (r < 0.05 && !members_.empty() && v.fact > 0) {
        Member& m = members_[size_t(rng_.between(0, int(members_.size()) - 1))];
        if (m.surp < v.fact) {
            // The member tops the card up at the desk first.
            const double topUp = std::ceil((v.fact - m.surp) / 1000.0) * 1000.0 + 1000.0;
            insTopUp_->run({m.card, QStringLiteral("储值卡"), topUp, QStringLiteral("续钱")});
            m.surp += topUp;
        }
        v.member = v.fact;
        m.surp = cents(m.surp - v.member);
        m.use = cents(m.use + v.member);
        v.memberCard = m.card;
        v.memberName = m.name;
        v.guestName = m.name;
    } else if (r < 0.08 && !accounts_.empty() && v.fact > 0) {
        Account& a = accounts_[size_t(rng_.between(0, int(accounts_.size()) - 1))];
        if (v.fact <= a.limit) {
            if (a.use + v.fact > a.limit) {
                // The account pays its debt before it is charged again.
                const Named& cashier = cashierOf(shiftAt(QTime(10, 0)));
                insRepay_->run({a.code, a.name, a.use, day0(day), cashier.code, cashier.name,
                                at(moment(day, QTime(10, rng_.between(0, 59))))});
                a.use = 0;
            }
            v.hang = v.fact;
            a.use = cents(a.use + v.hang);
            v.hangCode = a.code;
            v.hangName = a.name;
        }
    } else if (r < 0.33 && !cardType_.isEmpty()) {
        card = v.fact;
    } else if (r < 0.38 && !cardType_.isEmpty()) {
        card = whole(v.fact * 0.5);
    }
    const double paid = v.member + v.hang + card;
    std::map<QString, double> amounts;
    amounts[QStringLiteral("Z")] = v.fact - paid;
    if (v.none != 0) amounts[QStringLiteral("R")] = v.none;
    if (v.member != 0) amounts[QStringLiteral("M")] = v.member;
    if (v.hang != 0) amounts[QStringLiteral("H")] = v.hang;
    if (card != 0) amounts[cardType_] = card;
    QString narrative;
    for (const Named& p : payTypes_) {
        const double amount = amounts.count(p.code) ? amounts[p.code] : 0.0;
        if (amount != 0) v.pays.push_back({p.code, amount});
        if (amount > 0 && p.code != QLatin1String("Z"))
            narrative += p.name + numberText(amount) + QLatin1Char(' ');
    }
    v.payNarr = QStringLiteral("现金") + numberText(v.fact - paid) + QLatin1Char(' ') + narrative;
    v.shift = shiftAt(v.end.time());
    v.cashier = cashierOf(v.shift);
    commission(v);
    if (rng_.chance(0.03) && operators_.size() > 1) v.booked = true;
}

// ---- writing --------------------------------------------------------------------------

void Writer::stage(const std::vector<Visit>& visits) {
    for (const Visit& v : visits) {
        const Table& t = tables_[v.table];
        const Mode mode = modes_.value(t.mode);
        const bool checked = v.state != QLatin1String("2");
        const Staff* s = v.staff >= 0 ? &staff_[size_t(v.staff)] : nullptr;
        const double commissionBase = v.fact - v.dedu;
        const auto named = [&](const QString& value) { return checked ? textOrNull(value) : QVariant(); };
        const QVariantList values = {
            v.key,
            textOrNull(v.ticket),
            t.code,
            named(t.name),
            t.type,
            named(t.typeName),
            t.dept,
            named(t.deptName),
            v.guests,
            textOrNull(v.guestName),
            QVariant(),
            at(v.open),
            checked ? QVariant(at(v.end)) : QVariant(),
            checked ? QVariant(day0(v.work)) : QVariant(),
            v.inUse ? 1 : 0,
            v.state,
            v.shift,
            named(shiftNamed(v.shift).name),
            checked ? QVariant(v.cashier.code) : QVariant(),
            named(v.cashier.name),
            mode.code,
            named(mode.name),
            mode.type,
            named(mode.typeName),
            mode.serv,
            v.dish,
            v.special,
            v.servMain,
            v.servSpec,
            v.low,
            v.room,
            v.unit,
            v.serv,
            0,
            v.discCode,
            v.disc,
            0,
            0.0,
            v.shou,
            v.fact,
            v.none,
            checked ? v.cost : 0.0,
            textOrNull(v.hangCode),
            textOrNull(v.hangName),
            v.hang,
            textOrNull(v.memberCard),
            textOrNull(v.memberName),
            v.member,
            textOrNull(v.payNarr),
            s ? QVariant(s->code) : QVariant(),
            s && checked ? QVariant(s->name) : QVariant(),
            textOrNull(v.deduType),
            v.dedu,
            s && checked ? QVariant(s->group) : QVariant(),
            s && checked ? QVariant(s->area) : QVariant(),
            v.booked ? 1 : 0,
            v.booked ? QVariant(operators_[1].code) : QVariant(),
            v.booked ? QVariant(operators_[1].name) : QVariant(),
            s ? textOrNull(s->groupName) : QVariant(),
            s ? textOrNull(s->areaName) : QVariant(),
            s && v.deduType == QStringLiteral("预  定") ? commissionBase : 0.0,
            s && v.deduType == QStringLiteral("指  定") ? commissionBase : 0.0,
            s && v.deduType == QStringLiteral("领  位") ? commissionBase : 0.0,
            s ? s->standard : 0.0,
        };
        if (values.size() != kVisitColumnCount) throw DbError(QStringLiteral("visit row of the wrong width"));
        for (int i = 0; i < kVisitColumnCount; ++i)
            insVisit_->bind(i + 1, values[i]);
        insVisit_->run();
        for (const Line& l : v.lines) {
            RawStatement& q = *insLine_;
            q.bind(1, v.key);
            q.bind(2, l.item);
            q.bind(3, l.price);
            q.bind(4, l.count);
            q.bind(5, l.total);
            q.bind(6, at(l.time));
            q.bind(7, l.mode);
            q.bind(8, l.group);
            q.bind(9, l.groupNarr);
            q.bind(10, l.narr);
            q.bind(11, l.oper);
            q.bind(12, l.disc);
            q.run();
        }
        for (const auto& [code, amount] : v.pays) {
            insPay_->bind(1, v.key);
            insPay_->bind(2, code);
            insPay_->bind(3, amount);
            insPay_->run();
        }
        ++summary.visits;
        summary.lines += qint64(v.lines.size());
    }
}

void Writer::clearStage() {
    clearVisit_->run();
    clearLine_->run();
    clearPay_->run();
}

void Writer::flushArchive(bool handedOver) {
    archGues_->run();
    archCons_->run();
    archPay_->run({handedOver ? 1 : 0});
    summary.payments +=
        scalarInt(db_, QStringLiteral("SELECT count(*) FROM gen_visit WHERE tabl_gues_stat <> '2'")) *
        qint64(payTypes_.size());
}

void Writer::flushLive() {
    liveGues_->run();
    liveCons_->run();
    livePay_->run();
}

void Writer::log(const QString& who, const QDateTime& when, const QString& what) {
    insLog_->run({who, at(when), what});
}

void Writer::handover(const QDate& day, const QString& shift, const QDateTime& when,
                      const std::vector<Visit>& visits) {
    std::map<QString, std::pair<int, double>> sums;
    for (const Visit& v : visits) {
        if (v.shift != shift) continue;
        for (const auto& [code, amount] : v.pays) {
            auto& s = sums[code];
            if (amount > 0) ++s.first;
            s.second += amount;
        }
    }
    const Named& cashier = cashierOf(shift);
    const QString remark = rng_.chance(0.1) ? QStringLiteral("正常交班") : QString();
    for (const Named& p : payTypes_) {
        const auto it = sums.find(p.code);
        const int lines = it == sums.end() ? 0 : it->second.first;
        const double amount = it == sums.end() ? 0.0 : cents(it->second.second);
        const double start = p.code == QLatin1String("Z") ? 500.0 : 0.0;
        insPayTotal_->run({day0(day), remark, p.code, p.name, start, amount, lines, start + amount, at(when),
                           cashier.code, cashier.name});
    }
    log(cashier.name, when,
        QLatin1Char('[') + shiftNamed(shift).name + QStringLiteral("][系统交班,重新登录]"));
}

void Writer::otherIncome(const QDate& day) {
    for (const Named& o : otherIncome_) {
        const double amount = rng_.chance(0.3) ? 0.0 : 5.0 * rng_.between(1, 40);
        insOther_->run({o.code, o.name, amount, day0(day)});
    }
}

// Each morning the stock of counted items is brought back up where it ran low, one purchase
// bill per supplier: drinks from the second supplier, the kitchen's goods from the first.
void Writer::restock(const QDate& day) {
    if (suppliers_.empty()) return;
    QHash<QString, double> average;
    for (const auto& d : usage_)
        for (auto it = d.begin(); it != d.end(); ++it)
            average[it.key()] += it.value() / double(usage_.size());
    std::map<int, std::vector<std::pair<const Item*, double>>> perSupplier;
    // In item-code order: a hash's order changes from one run of the program to the next.
    for (const QString& code : stocked_) {
        const auto it = stock_.find(code);
        const Item& item = items_[size_t(itemIndex_.value(it.key()))];
        const double level =
            std::max(initialStock_.value(it.key()), std::ceil(2.0 * average.value(it.key())));
        if (it.value() >= level) continue;
        const double buy = std::ceil(2.0 * level - it.value());
        const int supplier =
            classes_.value(item.clas).manu == QLatin1String("1") && suppliers_.size() > 1 ? 1 : 0;
        perSupplier[supplier].push_back({&item, buy});
        it.value() += buy;
    }
    const QDateTime when(day, QTime(9, rng_.between(0, 29)));
    int n = 0;
    for (const auto& [supplier, lines] : perSupplier) {
        const qint64 id = nextBill_++;
        const QString code = QStringLiteral("JH%1%2")
                                 .arg(day.toString(QStringLiteral("yyMMdd")))
                                 .arg(++n, 2, 10, QLatin1Char('0'));
        double total = 0;
        for (const auto& [item, count] : lines) {
            const double money = cents(count * cents(item->cost));
            total += money;
            insBillLine_->run({nextBillLine_++, id, code, item->code, item->name, item->unit,
                               cents(item->cost), count, money, at(when), day0(day)});
        }
        insBill_->run({id, code, workType_, suppliers_[size_t(supplier)].code,
                       suppliers_[size_t(supplier)].name, operators_[0].code, cents(total), cents(total),
                       QString(), at(when), day0(day)});
    }
}

void Writer::closedDay(const QDate& day, int visits) {
    Transaction tx(db_);
    usedToday_.clear();
    restock(day);
    const QTime open(10, 30), close(23, 30);
    std::vector<int> all;
    for (int i = 0; i < int(tables_.size()); ++i)
        all.push_back(i);
    std::vector<Visit> list = schedule(day, visits, open, close, all);
    for (Visit& v : list) {
        order(v);
        bill(v);
        pay(v, day);
        // Cleared: no longer in use.
        v.state = QStringLiteral("1");
        if (v.guestName.isEmpty() && rng_.chance(0.5)) v.guestName = personName();
        if (rng_.chance(0.1)) v.ticket = QString::number(rng_.between(100000, 999999));
    }
    stage(list);
    flushArchive(true);
    clearStage();

    // The shifts: each logs in, works and hands over; the day ends after the last.
    const std::vector<QTime> starts = {QTime(9, 30), QTime(14, 0), QTime(18, 0)};
    for (size_t s = 0; s < shifts_.size(); ++s) {
        const QString shift = shifts_[s].code;
        const QTime start = s < starts.size() ? starts[s] : QTime(9, 30);
        const QTime end = s + 1 < shifts_.size() && s + 1 < starts.size() ? starts[s + 1] : QTime(23, 50);
        log(cashierOf(shift).name, moment(day, start).addSecs(rng_.between(0, 300)),
            QLatin1Char('[') + shifts_[s].name + QStringLiteral("][登录系统]"));
        handover(day, shift, moment(day, end).addSecs(-rng_.between(60, 600)), list);
    }
    otherIncome(day);
    tx.commit();

    usage_.push_back(usedToday_);
    if (usage_.size() > 7) usage_.pop_front();
    ++summary.days;
}

int Writer::clearedVisits(const QDate& day, int count, const QTime& from, const QTime& to) {
    std::vector<int> free;
    {
        QSqlQuery q =
            run(db_, QStringLiteral("SELECT tabl_code FROM TableList WHERE COALESCE(tabl_stat_code, '1') "
                                    "IN ('1', '5') ORDER BY tabl_code"));
        QStringList codes;
        while (q.next())
            codes << q.value(0).toString();
        for (int i = 0; i < int(tables_.size()); ++i)
            if (codes.contains(tables_[i].code)) free.push_back(i);
    }
    std::vector<Visit> list = schedule(day, count, from, to, free);
    for (Visit& v : list) {
        order(v);
        bill(v);
        pay(v, day);
        // Cleared: no longer in use.
        v.state = QStringLiteral("1");
        if (v.guestName.isEmpty() && rng_.chance(0.5)) v.guestName = personName();
    }
    stage(list);
    flushArchive(false);
    flushLive();
    clearStage();
    return int(list.size());
}

void Writer::openDay(const QDate& day, int cleared, std::optional<int> tablesInUse) {
    Transaction tx(db_);
    usedToday_.clear();
    restock(day);
    const QString first = shifts_.front().code;
    log(cashierOf(first).name, moment(day, QTime(9, 30)),
        QLatin1Char('[') + shifts_.front().name + QStringLiteral("][登录系统]"));

    // A few tables in use: three open with their orders, one checked out and not yet cleared;
    // or as many as asked, spread evenly over the board, every fourth checked out.
    std::vector<int> inUse;
    if (tablesInUse) {
        const int n = *tablesInUse;
        for (int k = 0; k < n; ++k)
            inUse.push_back(int(qint64(k) * qint64(tables_.size()) / n));
    } else {
        for (size_t i : {size_t(0), size_t(2), tables_.size() / 2, tables_.size() - 2})
            if (i < tables_.size() && std::find(inUse.begin(), inUse.end(), int(i)) == inUse.end())
                inUse.push_back(int(i));
    }
    const auto checkedOut = [&](size_t k) { return tablesInUse ? k % 4 == 2 : k == inUse.size() / 2; };
    // Opened one after another from 12:40, before the afternoon shift.
    const qint64 step = std::min<qint64>(420, 4500 / qint64(std::max<size_t>(1, inUse.size())));
    for (int t : inUse)
        exec(db_, QStringLiteral("UPDATE TableList SET tabl_stat_code = '2' WHERE tabl_code = ?"),
             {tables_[t].code});
    clearedVisits(day, cleared, QTime(10, 0), QTime(12, 30));

    std::vector<Visit> open;
    for (size_t k = 0; k < inUse.size(); ++k) {
        Visit v;
        v.table = inUse[k];
        v.open = moment(day, QTime(12, 40))
                     .addSecs(qint64(k) * step + rng_.between(0, int(std::min<qint64>(300, step))));
        v.end = v.open.addSecs(3600);
        v.work = day;
        v.key = nextKey_++;
        v.inUse = true;
        v.shift = first;
        order(v);
        bill(v);
        if (checkedOut(k)) {
            v.end = v.open.addSecs(2400);
            pay(v, day);
        } else {
            v.state = QStringLiteral("2");
        }
        if (rng_.chance(0.5)) v.guestName = personName();
        open.push_back(std::move(v));
    }
    stage(open);
    flushLive();
    clearStage();
    for (const Visit& v : open)
        exec(db_,
             QStringLiteral(
                 "UPDATE TableList SET tabl_stat_code = ?, tabl_gues_auto_recn = ?, tabl_gues_name = ?, "
                 "tabl_gues_coun = ?, tabl_gues_time = ?, tabl_gues_shou = ? WHERE tabl_code = ?"),
             {v.state, v.key, textOrNull(v.guestName), v.guests, at(v.open), v.shou, tables_[v.table].code});

    // The day's other income typed so far, and the settings row of an open business day.
    for (const Named& o : otherIncome_)
        exec(db_, QStringLiteral("UPDATE otherincomelist SET othe_inco_mone = ? WHERE othe_inco_code = ?"),
             {rng_.chance(0.5) ? 0.0 : 10.0 * rng_.between(1, 10), o.code});
    exec(db_,
         QStringLiteral(
             "UPDATE SetupPay SET time_work = ?, time_star = ?, time_end = ?, pay_star = 1, orde_code = ?"),
         {day0(day), at(moment(day, QTime(9, 30))), at(moment(day.addDays(-1), QTime(23, 55))), first});
    save();
    tx.commit();
}

void Writer::save() {
    Transaction tx(db_);
    Statement item(db_, QStringLiteral("UPDATE itemlist SET item_coun = ? WHERE item_code = ?"));
    for (auto it = stock_.begin(); it != stock_.end(); ++it)
        item.run({it.value(), it.key()});
    // Set menus and composites show how many their components still allow.
    exec(db_, QStringLiteral("UPDATE itemlist SET item_coun = COALESCE((SELECT v.retotal FROM viewReTotal v "
                             "WHERE v.grou_code = itemlist.item_code), 0) "
                             "WHERE item_type_code = '2' OR item_type_code = '3'"));
    Statement member(
        db_, QStringLiteral("UPDATE MemberList SET memb_surp = ?, memb_use = ? WHERE memb_card_code = ?"));
    for (const Member& m : members_)
        member.run({m.surp, m.use, m.card});
    Statement account(db_, QStringLiteral("UPDATE HangGues SET hang_gues_use = ? WHERE hang_gues_code = ?"));
    for (const Account& a : accounts_)
        account.run({a.use, a.code});
    exec(db_, QStringLiteral("UPDATE SetupPay SET auto_recn = ?"), {nextKey_});
    // New stock bills must not take the numbers the archived ones keep.
    for (const auto& [table, value] :
         {std::pair{"StoreBill", nextBill_ - 1}, std::pair{"StoreDetail", nextBillLine_ - 1}}) {
        if (value <= 0) continue;
        exec(db_, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {QString::fromLatin1(table)});
        exec(db_, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"),
             {QString::fromLatin1(table), value});
    }
    tx.commit();
}

// ---- venue scale ----------------------------------------------------------------------

int countOf(QSqlDatabase db, const char* sql) {
    return int(scalarInt(db, QString::fromLatin1(sql)));
}

const char* const kOrderableItems =
    "SELECT count(*) FROM itemlist WHERE COALESCE(item_type_code, '1') <> '4'";

// New departments take a letter no table code starts with yet; I and O are left out, they read
// as 1 and 0 on the board.
QString freeLetters(QSqlDatabase db) {
    QString used;
    QSqlQuery q = run(db, QStringLiteral("SELECT DISTINCT upper(substr(tabl_code, 1, 1)) FROM TableList"));
    while (q.next())
        used += q.value(0).toString();
    QString out;
    for (char c = 'A'; c <= 'Z'; ++c)
        if (c != 'I' && c != 'O' && !used.contains(QLatin1Char(c))) out += QLatin1Char(c);
    return out;
}

constexpr int kTablesPerDepartment = 25;
constexpr int kItemsPerClass = 100;

// The most tables --tables can reach on top of what the venue has.
int tableRoom(QSqlDatabase db) {
    return int(freeLetters(db).size()) * 99;
}

// Grows the venue to `total` tables in new departments: halls, rooms and KTV areas in turn,
// codes of a letter and two digits, types from the sample's and three of their own on the
// sample's consumption modes.
void growTables(QSqlDatabase db, int total) {
    const int extra = total - countOf(db, "SELECT count(*) FROM TableList");
    if (extra <= 0) return;
    struct Type {
        const char *code, *name, *narr, *mode;
    };
    for (const Type& t : {Type{"07", "圆桌", "8-10人", "01"}, Type{"08", "豪华包厢", "16-20人", "03"},
                          Type{"09", "KTV中包", "6-10人", "05"}})
        exec(db,
             QStringLiteral(
                 "INSERT INTO TableTypeList (tabl_type_code, tabl_type_name, tabl_type_narr, tabl_type_rema, "
                 "cons_mode_code) SELECT ?, ?, ?, ' ', ? WHERE NOT EXISTS "
                 "(SELECT 1 FROM TableTypeList WHERE tabl_type_code = ?)"),
             {QString::fromLatin1(t.code), QString::fromUtf8(t.name), QString::fromUtf8(t.narr),
              QString::fromLatin1(t.mode), QString::fromLatin1(t.code)});

    const QString letters = freeLetters(db);
    int departments = (extra + kTablesPerDepartment - 1) / kTablesPerDepartment;
    departments = std::min<int>(departments, int(letters.size()));
    const int perDepartment = (extra + departments - 1) / departments;
    if (departments == 0 || perDepartment > 99)
        throw DbError(QStringLiteral("no room for %1 more tables").arg(extra));

    // Halls turn over most: two halls to a floor of rooms and one of KTV.
    struct Kind {
        const char* name;
        const char* types[5];
        const char* label;
    };
    static const Kind kinds[] = {{"大厅", {"01", "07", "01", "07", "02"}, "号台"},
                                 {"包厢", {"03", "04", "08", "03", "03"}, "号厅"},
                                 {"大厅", {"01", "07", "01", "07", "02"}, "号台"},
                                 {"KTV", {"05", "09", "05", "06", "09"}, "号房"}};
    int nextDept =
        1 + int(scalarInt(db, QStringLiteral("SELECT MAX(CAST(dept_code AS INTEGER)) FROM DepartmentList")));
    int perKind[4] = {1, 1, 1, 1};
    Statement dept(
        db,
        QStringLiteral("INSERT INTO DepartmentList (dept_code, dept_name, dept_rema) VALUES (?, ?, ' ')"));
    Statement table(
        db, QStringLiteral(
                "INSERT INTO TableList (tabl_code, tabl_name, tabl_narr, tabl_type_code, dept_code, "
                "tabl_rema, tabl_stat_code, tabl_gues_auto_recn) VALUES (?, ?, ?, ?, ?, ' ', '1', 0)"));
    int left = extra;
    for (int d = 0; d < departments && left > 0; ++d) {
        const Kind& kind = kinds[d % 4];
        // Hall 2, Hall 3 … beside the sample's own hall, rooms and KTV.
        const int number = ++perKind[d % 4 == 2 ? 0 : d % 4];
        const QString code = QStringLiteral("%1").arg(nextDept++, 2, 10, QLatin1Char('0'));
        const QString name = QString::fromUtf8(kind.name) + QString::number(number) + QStringLiteral("区");
        if (code.size() > 2) throw DbError(QStringLiteral("no room for more departments"));
        dept.run({code, name});
        const QString floor = QStringLiteral("%1楼").arg(2 + d / 2);
        const int n = std::min(perDepartment, left);
        for (int j = 1; j <= n; ++j)
            table.run({letters[d] + QStringLiteral("%1").arg(j, 2, 10, QLatin1Char('0')),
                       name + QString::number(j) + QString::fromUtf8(kind.label), floor,
                       QString::fromLatin1(kind.types[(j - 1) % 5]), code});
        left -= n;
    }
}

// Grows the menu to `total` orderable items: single dishes (seven in ten) and drinks, about a
// hundred to a class, in new classes beside the sample's; the spirits classes (白酒, 洋酒, 黄酒)
// allow no discount and stand outside the minimum charge, as the sample's 酒类.
void growItems(QSqlDatabase db, int total, Rng& rng) {
    const int extra = total - countOf(db, kOrderableItems);
    if (extra <= 0) return;
    const int classes = std::max(1, (extra + kItemsPerClass - 1) / kItemsPerClass);
    const int drinkClasses = classes < 2 ? 0 : std::max(1, classes * 3 / 10);
    const int foodClasses = classes - drinkClasses;

    static const char* const foodClassNames[] = {"川菜", "粤菜", "湘菜", "鲁菜", "海鲜", "烧烤",
                                                 "汤羹", "面点", "素菜", "小吃", "火锅", "卤味",
                                                 "甜品", "炖品", "铁板", "砂锅"};
    static const char* const drinkClassNames[] = {"白酒", "果汁", "茶饮", "洋酒",
                                                  "咖啡", "奶茶", "黄酒", "气泡水"};
    // Dishes: a way of cooking and a main ingredient; drinks: a kind and a drink. With the
    // pinyin initials for the short code.
    static const char* const methods[][2] = {{"红烧", "HS"}, {"清蒸", "QZ"}, {"干煸", "GB"}, {"爆炒", "BC"},
                                             {"香煎", "XJ"}, {"酱爆", "JB"}, {"水煮", "SZ"}, {"椒盐", "JY"},
                                             {"蒜蓉", "SR"}, {"糖醋", "TC"}, {"麻辣", "ML"}, {"白灼", "BZ"},
                                             {"油焖", "YM"}, {"铁板", "TB"}, {"宫保", "GB"}, {"鱼香", "YX"},
                                             {"干锅", "GG"}, {"黄焖", "HM"}, {"葱爆", "CB"}, {"酸菜", "SC"}};
    static const char* const mains[][2] = {
        {"牛肉", "NR"}, {"猪肉", "ZR"}, {"鸡翅", "JC"}, {"排骨", "PG"}, {"鲈鱼", "LY"},
        {"虾仁", "XR"}, {"豆腐", "DF"}, {"茄子", "QZ"}, {"土豆", "TD"}, {"鸭肉", "YR"},
        {"羊排", "YP"}, {"鱿鱼", "YY"}, {"扇贝", "SB"}, {"花蛤", "HG"}, {"牛蛙", "NW"},
        {"鸡杂", "JZ"}, {"肥肠", "FC"}, {"腰花", "YH"}, {"菜心", "CX"}, {"西兰花", "XLH"},
        {"藕片", "OP"}, {"豆角", "DJ"}, {"香菇", "XG"}, {"木耳", "ME"}, {"年糕", "NG"}};
    static const char* const kinds[][2] = {{"冰镇", "BZ"}, {"鲜榨", "XZ"}, {"精酿", "JN"}, {"进口", "JK"},
                                           {"特调", "TT"}, {"热饮", "RY"}, {"原味", "YW"}, {"无糖", "WT"}};
    static const char* const drinks[][2] = {
        {"啤酒", "PJ"}, {"橙汁", "CZ"}, {"西瓜汁", "XGZ"}, {"柠檬茶", "NMC"}, {"奶茶", "NC"},
        {"可乐", "KL"}, {"雪碧", "XB"}, {"绿茶", "LC"},    {"咖啡", "KF"},    {"红酒", "HJ"},
        {"白酒", "BJ"}, {"椰汁", "YZ"}, {"酸梅汤", "SMT"}, {"苏打水", "SDS"}, {"豆浆", "DJ"}};
    constexpr int nMethods = int(std::size(methods)), nMains = int(std::size(mains));
    constexpr int nKinds = int(std::size(kinds)), nDrinks = int(std::size(drinks));

    // Class codes go on from the highest number of their letter.
    const auto nextClass = [&](const char* letter) {
        return 1 + int(scalarInt(
                       db,
                       QStringLiteral("SELECT MAX(CAST(substr(clas_code, 2) AS INTEGER)) FROM classlist "
                                      "WHERE substr(clas_code, 1, 1) = ?"),
                       {QString::fromLatin1(letter)}));
    };
    int nextFood = nextClass("C"), nextDrink = nextClass("D");
    if (nextFood + foodClasses > 100 || nextDrink + drinkClasses > 100)
        throw DbError(QStringLiteral("no room for %1 more item classes").arg(classes));
    struct NewClass {
        QString code;
        bool drink = false, spirits = false;
        int perc = 0;
    };
    std::vector<NewClass> made;
    Statement clas(db,
                   QStringLiteral("INSERT INTO classlist (kind_code, clas_code, clas_name, clas_allo_disc, "
                                  "clas_allo_serv, clas_allo_spec, clas_cost_perc, manu_code) "
                                  "VALUES (?, ?, ?, ?, 1, ?, ?, ?)"));
    const auto className = [](const char* base, int k, int n) {
        return QString::fromUtf8(base) + (k < n ? QString() : QString::number(k / n + 1));
    };
    // Food and drink classes alternate in the order they are made, so every item count fills both.
    for (int k = 0, f = 0, d = 0; k < classes; ++k) {
        const bool drink = d < drinkClasses && (f >= foodClasses || k % 3 == 2);
        NewClass c;
        c.drink = drink;
        if (drink) {
            c.spirits = (d % 8) % 3 == 0; // 白酒, 洋酒, 黄酒
            c.perc = c.spirits ? 50 : 40;
            c.code = QStringLiteral("D%1").arg(nextDrink++, 2, 10, QLatin1Char('0'));
            clas.run({QStringLiteral("D"), c.code, className(drinkClassNames[d % 8], d, 8), c.spirits ? 0 : 1,
                      c.spirits ? 1 : 0, c.perc, QStringLiteral("1")});
            ++d;
        } else {
            c.perc = 40;
            c.code = QStringLiteral("C%1").arg(nextFood++, 2, 10, QLatin1Char('0'));
            clas.run({QStringLiteral("C"), c.code, className(foodClassNames[f % 16], f, 16), 1, 0, c.perc,
                      QStringLiteral("2")});
            ++f;
        }
        made.push_back(c);
    }

    const int firstCode = std::max(
        100001,
        1 + int(scalarInt(db, QStringLiteral("SELECT MAX(CAST(item_code AS INTEGER)) FROM itemlist"))));
    if (firstCode + extra - 1 > 999999)
        throw DbError(QStringLiteral("no room for %1 more item codes").arg(extra));
    Statement item(
        db,
        QStringLiteral("INSERT INTO itemlist (clas_code, item_code, item_name, item_unit, item_unit_pric, "
                       "item_cost_pric, item_dedu_pric, item_coun, item_real, item_shor, item_type_code, "
                       "item_limi) VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, ?, '1', '不限')"));
    int dishes = 0, poured = 0;
    for (int i = 0; i < extra; ++i) {
        const NewClass& c = made[size_t(i % classes)];
        QString name, shortCode, unit;
        double price = 0;
        if (c.drink) {
            const int n = poured++;
            const int round = n / (nKinds * nDrinks);
            const auto& kind = kinds[n % nKinds];
            const auto& drink = drinks[(n / nKinds) % nDrinks];
            name = QString::fromUtf8(kind[0]) + QString::fromUtf8(drink[0]);
            shortCode = QString::fromLatin1(kind[1]) + QString::fromLatin1(drink[1]);
            unit = QString::fromUtf8(n % 3 == 0 ? "扎" : "瓶");
            price = c.spirits ? 68.0 + 10.0 * rng.between(0, 80) : 5.0 + rng.between(0, 55);
            if (round > 0) {
                name += QString::number(round + 1);
                shortCode += QString::number(round + 1);
            }
        } else {
            const int n = dishes++;
            const int round = n / (nMethods * nMains);
            const auto& method = methods[n % nMethods];
            const auto& main = mains[(n / nMethods) % nMains];
            name = QString::fromUtf8(method[0]) + QString::fromUtf8(main[0]);
            shortCode = QString::fromLatin1(method[1]) + QString::fromLatin1(main[1]);
            unit = QString::fromUtf8(n % 4 == 3 ? "盘" : "份");
            price = 12.0 + 2.0 * rng.between(0, 58);
            if (round > 0) {
                name += QString::number(round + 1);
                shortCode += QString::number(round + 1);
            }
        }
        item.run({c.code, QString::number(firstCode + i), name, unit, price, cents(price * c.perc * 0.01),
                  double(rng.between(0, 3)), shortCode.left(10)});
    }
}

// Refuses a venue-scale option that asks for less than the venue has, before anything is written.
void checkScale(QSqlDatabase db, const GenerateOptions& o) {
    const auto atLeast = [](const std::optional<int>& asked, int have, const char* what) {
        if (asked && *asked < have)
            throw DbError(QStringLiteral("the venue already has %1 %2; cannot make it %3")
                              .arg(have)
                              .arg(QString::fromLatin1(what))
                              .arg(*asked));
    };
    const int tables = countOf(db, "SELECT count(*) FROM TableList");
    atLeast(o.tables, tables, "tables");
    atLeast(o.items, countOf(db, kOrderableItems), "orderable items");
    atLeast(o.members, countOf(db, "SELECT count(*) FROM MemberList"), "member cards");
    if (o.tables && *o.tables > tables + tableRoom(db))
        throw DbError(QStringLiteral("at most %1 tables").arg(tables + tableRoom(db)));
    if ((o.liveCleared && *o.liveCleared < 0) || (o.liveOpen && *o.liveOpen < 0))
        throw DbError(QStringLiteral("negative size"));
    // Disabled tables take no visits; the cleared visits need a table that is free.
    const int usable =
        o.tables.value_or(tables) -
        countOf(db, "SELECT count(*) FROM TableList WHERE COALESCE(tabl_stat_code, '1') = '6'");
    const int cleared = o.liveCleared.value_or(o.visitsPerDay > 0 ? 1 : 0);
    if (o.liveOpen && *o.liveOpen > usable - (cleared > 0 ? 1 : 0))
        throw DbError(
            QStringLiteral("%1 tables in use leave no table for the day's cleared visits (%2 tables)")
                .arg(*o.liveOpen)
                .arg(usable));
}

// The indexes of the tables the closed days fill, dropped while they are filled and made again
// after; made again also when the writing fails, so a file is never left without them.
class ArchiveIndexes {
  public:
    explicit ArchiveIndexes(QSqlDatabase db) : db_(db) {
        QSqlQuery q =
            run(db_,
                QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                               "AND tbl_name IN ('AllGues', 'AllCons', 'AllGuesPay', 'Allpaytotal', "
                               "'AllOtherInCome', 'AllStoreBill', 'AllStoreDetail', 'systemlog', "
                               "'membManage', 'Hangguesin') ORDER BY name"));
        QStringList names;
        while (q.next()) {
            names << q.value(0).toString();
            sql_ << q.value(1).toString();
        }
        q = QSqlQuery();
        Transaction tx(db_);
        for (const QString& name : names)
            exec(db_, QStringLiteral("DROP INDEX \"%1\"").arg(name));
        tx.commit();
    }
    ~ArchiveIndexes() {
        try {
            restore();
        } catch (const DbError&) {
            // The failure that got us here is the one to report.
        }
    }
    ArchiveIndexes(const ArchiveIndexes&) = delete;
    ArchiveIndexes& operator=(const ArchiveIndexes&) = delete;

    void restore() {
        if (sql_.isEmpty()) return;
        const QStringList sql = std::exchange(sql_, {});
        Transaction tx(db_);
        for (const QString& statement : sql)
            exec(db_, statement);
        tx.commit();
    }

  private:
    QSqlDatabase db_;
    QStringList sql_;
};

int visitsOn(const QDate& day, int average, Rng& rng) {
    static const double weekday[] = {0.85, 0.85, 0.85, 0.85, 1.1, 1.3, 1.3}; // Monday first
    const double n = average * weekday[day.dayOfWeek() - 1] * (0.9 + 0.2 * rng.real());
    return std::max(average > 0 ? 1 : 0, int(std::lround(n)));
}

} // namespace

GenerateSummary generateHistory(QSqlDatabase db, const GenerateOptions& options) {
    if (options.years < 0 || options.visitsPerDay < 0) throw DbError(QStringLiteral("negative size"));
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
    const QDate first = today.addYears(-options.years);
    if (scalarInt(db, QStringLiteral("SELECT count(*) FROM AllGues")) > 0 ||
        scalarInt(db, QStringLiteral("SELECT count(*) FROM TableGuestlist")) > 0)
        throw DbError(QStringLiteral("the database already holds business"));
    checkScale(db, options);
    {
        // The venue grows before the writer reads its catalogue.
        Transaction tx(db);
        Rng grow(options.seed ^ 0x2545F4914F6CDD1Dull);
        if (options.tables) growTables(db, *options.tables);
        if (options.items) growItems(db, *options.items, grow);
        tx.commit();
    }
    Writer w(db, options.seed);
    Rng days(options.seed ^ 0x5DEECE66Dull);
    {
        Transaction tx(db);
        const int cards = options.members ? *options.members - countOf(db, "SELECT count(*) FROM MemberList")
                          : options.visitsPerDay > 0 ? 40
                                                     : 0;
        w.openVenue(first, cards);
        tx.commit();
    }
    const int total = int(first.daysTo(today));
    {
        // The archives' indexes are built once at the end: kept up to date day by day, an index
        // on item codes or tables dirties a page for nearly every line written, which multiplies
        // what each day's commit writes once the venue has thousands of items.
        ArchiveIndexes deferred(db);
        for (QDate d = first; d < today; d = d.addDays(1)) {
            w.closedDay(d, visitsOn(d, options.visitsPerDay, days));
            if (options.progress) options.progress(w.summary.days, total);
        }
        deferred.restore();
    }
    w.openDay(
        today,
        options.liveCleared.value_or(std::max(options.visitsPerDay > 0 ? 1 : 0, options.visitsPerDay / 4)),
        options.liveOpen);
    return w.summary;
}

int addClearedVisits(QSqlDatabase db, int count, quint64 seed) {
    Writer w(db, seed);
    const QDate day = scalarDateTime(db, QStringLiteral("SELECT time_work FROM SetupPay")).date();
    Transaction tx(db);
    const int n =
        w.clearedVisits(day.isValid() ? day : QDate::currentDate(), count, QTime(10, 0), QTime(22, 0));
    w.save();
    tx.commit();
    return n;
}

} // namespace kx::db
