// The cashier's actions timed on a fresh sample database, on a five-year venue history and on a
// venue at scale (the five years on 200 tables, 5 000 items, 10 000 member cards, 500 visits of
// the open day cleared and not yet removed, 30 tables in use), by the same functions the screens
// call: opening a table, ordering and committing a pad, the bill with the member card chosen and
// its checkout, clearing, back to the board, the handover summary and the day end with and
// without its backup; the front desk's start-up in this process and as a program of its own,
// each beside a bare window that only opens the same file; the back office's stock queries; the
// sales analysis report (a month and a year, with and without a department, and to PDF); the
// table analysis and the ordered-items analysis (a month and a year, the items in each sort); the
// query reports (the bill, member-bill and credit-bill lists and the order rows, a month and a
// year; the detail of a bill; the month's bill list to PDF); the reverse checkout's list of one
// table's bills of today; last, once, the database's initialisation (its copy, the removal, the
// board read again).
//
// Runs headless (QT_QPA_PLATFORM=offscreen). Message boxes are answered Yes. The five-year and
// venue-scale files are generated once (by kestrix-db) into <build>/bench-cache and copied for
// each run. The databases take turns round by round, so that neither one absorbs the one-time
// costs of the process or a burst of load on the machine.
//
// --trace-sql (after Google Benchmark's own options) adds one traced visit per database at the
// end: for each action, the time spent in SQLite statements and the statements that took most.
#include "Backup.h"
#include "BillScreen.h"
#include "Binder.h"
#include "Check.h"
#include "Clock.h"
#include "DataClearing.h"
#include "Connection.h"
#include "Copy.h"
#include "DayOperations.h"
#include "ErrorGuard.h"
#include "Generator.h"
#include "OrderScreen.h"
#include "Password.h"
#include "Prompter.h"
#include "ReceiptPrinters.h"
#include "RegisterScreen.h"
#include "ReverseScreen.h"
#include "ReportDocument.h"
#include "ReportFrame.h"
#include "SalesAnalysis.h"
#include "TableAnalysis.h"
#include "DishAnalysis.h"
#include "BillQueries.h"
#include "OrderRows.h"
#include "OperationAnalysis.h"
#include "PerformanceAnalysis.h"
#include "Schema.h"
#include "Sql.h"
#include "StockPosting.h"
#include "Transaction.h"
#include "Values.h"
#include "BackOffice.h"
#include "TDMManage.h"
#include "TDMTable.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"
#include "TableMoves.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMainWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QProcess>
#include <QPushButton>
#include <QSqlDriver>
#include <QTest>
#include <QUrl>
#include <QThread>
#include <QToolButton>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

using namespace kx;
using namespace kx::frontdesk;

namespace {

// Answers every question Yes and keeps the last texts for a failure report.
class YesPrompter : public Prompter {
  public:
    void information(const QString& text) override { note(text); }
    bool question(const QString& text) override {
        note(text);
        return true;
    }
    void error(const QString& text) override {
        note(QStringLiteral("ERROR ") + text);
        ++errors;
    }
    void note(const QString& t) {
        last << t;
        if (last.size() > 6) last.removeFirst();
    }
    QStringList last;
    int errors = 0;
};

// Dialogs (print previews and the like) are closed at once.
class NoModalHost : public ModalHost {
  public:
    int exec(QDialog*) override { return 0; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

YesPrompter* yes = nullptr;

struct Database {
    QString label;  // the column of the table
    QString tag;    // in benchmark names: fresh, 5years, venue, fresh_pg, 5years_pg
    QString folder; // a program folder: <folder>/frontdesk, <folder>/data/VenueData.MDB, <folder>/back
    QString path;
    QDate day; // its business day
    bool server = false;     // on the PostgreSQL server (data/database.ini names it)
    QString reference = {};  // the label of the database its ratio is taken against (none: fresh)
};
std::vector<Database> databases;

// ---- what is measured -------------------------------------------------------------------

// What a row is held to.
enum class Target {
    None,         // for reference
    Cashier,      // ≤ 50 ms and ≤ 1.2 × the fresh database
    DayEnd,       // ≤ 1 s
    ProcessStart, // ≤ 1.5 × the bare window process on the same file
    SameAsFresh,  // ≤ 1.5 × the fresh database
    Query,        // ≤ 100 ms
    Posting,      // ≤ 200 ms
    Within,       // ≤ the row's own limit
};
constexpr double kQueryMs = 100, kPostingMs = 200;
constexpr double kCashierMs = 50, kCashierRatio = 1.2, kDayEndMs = 1000, kStartRatio = 1.5, kPeakMb = 150;

struct Row {
    QString action;
    Target target = Target::None;
    QString comparedWith;                           // ProcessStart: the row it is compared with
    std::map<QString, std::vector<double>> samples; // database label -> milliseconds
    double limitMs = 0;                             // Within: the most it may take
};
std::vector<Row> rows;

Row& rowOf(const QString& action, Target target, const QString& comparedWith = {}) {
    for (Row& r : rows)
        if (r.action == action) return r;
    rows.push_back({action, target, comparedWith, {}});
    return rows.back();
}

void record(const QString& action, Target target, const Database& d, double ms) {
    rowOf(action, target).samples[d.label].push_back(ms);
}

// The rows in the order the table shows them; each appears once measured.
const char* const kStartProcess = "start-up, process to process";
const char* const kStartFindable = "  of it: until the main window is findable";
const char* const kBareProcess = "bare window process, same file";
const char* const kStartInProcess = "start-up in this process";
const char* const kBackOfficeStart = "back office: start-up to its login panel";
const char* const kBareInProcess = "bare window in this process";
const char* const kPasswordAlone = "password check alone (PBKDF2)";
const char* const kChooseCard = "choose a card";
const char* const kChooseCardLess = "choose a card, its hash at one round";
const char* const kReceiptBill = "print the bill on a receipt printer (local socket)";
const char* const kHandover = "handover summary (500 visits)";
const char* const kDayEnd = "day end (500 cleared visits)";
const char* const kDayEndBackup = "day end with backup (the call)";
const char* const kBackupWritten = "day end with backup (copy written)";
const char* const kVacuumInto = "backup alone: VACUUM INTO";
const char* const kOnlineBackup = "backup alone: online copy (db/Backup)";
const char* const kStatementMonth = "stock statement: one unit, a month";
const char* const kMovementsItemMonth = "goods movements: one item, a month";
const char* const kMovementsAllDay = "goods movements: every item, a day";
const char* const kPostBill = "stock posting: a purchase of 20 lines";
const char* const kSalesMonth = "sales analysis: a month";
const char* const kSalesMonthDept = "sales analysis: a month, one department";
const char* const kSalesYear = "sales analysis: a year";
const char* const kSalesYearDept = "sales analysis: a year, one department";
const char* const kSalesMonthPdf = "sales analysis: a month to PDF";
const char* const kRoomsMonth = "table analysis: a month";
const char* const kRoomsYear = "table analysis: a year";
const char* const kRoomsMonthPdf = "table analysis: a month to PDF";
// The ordered-items rows, per sort of the list: "items analysis: a month, by 编号" …
const char* const kDishSorts[] = {"编号", "总数", "总金额", "销售额"};
QString dishRow(bool year, int sort) {
    return QStringLiteral("items analysis: a %1, by %2").arg(year ? QStringLiteral("year") : QStringLiteral("month"),
                                                             QString::fromUtf8(kDishSorts[sort]));
}
const char* const kDishMonthPdf = "items analysis: a month to PDF";
const char* const kInitAll = "initialisation (N15), all of it";
const char* const kInitCopy = "  of it: the checked copy";
const char* const kInitRemoval = "  of it: removal and tables freed";
const char* const kInitBoard = "  of it: the board read again";
const char* const kReverseList = "reverse checkout: a table's bills of today";
// The query reports: "bill list: a month" …, the order rows until their first page shows.
const char* const kQueryLists[] = {"bill list", "member bills", "credit bills", "order rows"};
QString queryRow(int list, bool year) {
    return QStringLiteral("%1: a %2").arg(QString::fromUtf8(kQueryLists[list]),
                                           year ? QStringLiteral("year") : QStringLiteral("month"));
}
const char* const kBillDetail = "bill detail: one bill";
const char* const kBillsPdf = "bill list: a month to PDF";
// The staff reports' rows, per screen and mode: "operations 结帐分析: a year, one name" …
const char* const kOperModes[] = {"点单分析", "结帐分析", "预订分析"};
const char* const kDeduModes[] = {"点单分析", "点单统计", "帐单分析", "帐单统计"};
QString staffRow(bool performance, int mode, bool year, bool named) {
    return QStringLiteral("%1 %2: a %3%4")
        .arg(performance ? QStringLiteral("performance") : QStringLiteral("operations"),
             QString::fromUtf8(performance ? kDeduModes[mode] : kOperModes[mode]),
             year ? QStringLiteral("year") : QStringLiteral("month"), named ? QStringLiteral(", one name") : QString());
}
const char* const kOperBillsMonthPdf = "operations 结帐分析: a month to PDF";
const char* const kDeduTotalsMonthPdf = "performance 帐单统计: a month to PDF";

void declareRows() {
    rowOf(QString::fromUtf8(kStartProcess), Target::ProcessStart, QString::fromUtf8(kBareProcess));
    rowOf(QString::fromUtf8(kStartFindable), Target::None);
    rowOf(QString::fromUtf8(kBareProcess), Target::None);
    rowOf(QString::fromUtf8(kStartInProcess), Target::None);
    rowOf(QString::fromUtf8(kBareInProcess), Target::None);
    rowOf(QString::fromUtf8(kBackOfficeStart), Target::SameAsFresh);
    for (const char* a : {"open a table", "order screen", "commit the pad (20 lines)", "back to the board",
                          "table's work screen", "enter the bill"})
        rowOf(QString::fromUtf8(a), Target::Cashier);
    rowOf(QString::fromUtf8(kPasswordAlone), Target::None);
    rowOf(QString::fromUtf8(kChooseCard), Target::Cashier);
    rowOf(QString::fromUtf8(kChooseCardLess), Target::None);
    rowOf(QStringLiteral("build the printed bill"), Target::Cashier);
    rowOf(QString::fromUtf8(kReceiptBill), Target::Cashier);
    rowOf(QStringLiteral("check out (cash and member card)"), Target::Cashier);
    rowOf(QStringLiteral("clear the table"), Target::Cashier);
    rowOf(QString::fromUtf8(kHandover), Target::Cashier);
    rowOf(QString::fromUtf8(kDayEnd), Target::DayEnd);
    rowOf(QString::fromUtf8(kDayEndBackup), Target::DayEnd);
    rowOf(QString::fromUtf8(kBackupWritten), Target::None);
    rowOf(QString::fromUtf8(kVacuumInto), Target::None);
    rowOf(QString::fromUtf8(kOnlineBackup), Target::None);
    for (const char* a : {kStatementMonth, kMovementsItemMonth, kMovementsAllDay})
        rowOf(QString::fromUtf8(a), Target::Query);
    rowOf(QString::fromUtf8(kPostBill), Target::Posting);
    const std::pair<const char*, double> reports[] = {{kSalesMonth, 200},     {kSalesMonthDept, 200},
                                                      {kSalesYear, 1000},     {kSalesYearDept, 1000},
                                                      {kSalesMonthPdf, 1000}};
    for (const auto& [action, limit] : reports)
        rowOf(QString::fromUtf8(action), Target::Within).limitMs = limit;
    rowOf(QString::fromUtf8(kRoomsMonth), Target::Within).limitMs = 200;
    rowOf(QString::fromUtf8(kRoomsYear), Target::Within).limitMs = 1000;
    rowOf(QString::fromUtf8(kRoomsMonthPdf), Target::Within).limitMs = 1000;
    for (const bool year : {false, true})
        for (int sort = 0; sort < 4; ++sort) rowOf(dishRow(year, sort), Target::Within).limitMs = year ? 1000 : 200;
    rowOf(QString::fromUtf8(kDishMonthPdf), Target::Within).limitMs = 1000;
    for (const char* a : {kInitAll, kInitCopy, kInitRemoval, kInitBoard}) rowOf(QString::fromUtf8(a), Target::None);
    rowOf(QString::fromUtf8(kReverseList), Target::Within).limitMs = kCashierMs;
    for (int list = 0; list < 4; ++list)
        for (const bool year : {false, true}) rowOf(queryRow(list, year), Target::Within).limitMs = year ? 1000 : 200;
    rowOf(QString::fromUtf8(kBillDetail), Target::Within).limitMs = 200;
    rowOf(QString::fromUtf8(kBillsPdf), Target::Within).limitMs = 3000;
    for (const bool performance : {false, true})
        for (int mode = 0; mode < (performance ? 4 : 3); ++mode)
            for (const bool year : {false, true})
                for (const bool named : {false, true})
                    rowOf(staffRow(performance, mode, year, named), Target::Within).limitMs = year ? 1000 : 200;
    rowOf(QString::fromUtf8(kOperBillsMonthPdf), Target::Within).limitMs = 1000;
    rowOf(QString::fromUtf8(kDeduTotalsMonthPdf), Target::Within).limitMs = 1000;
}

// Memory: the most this process held while it worked on each database, and the front desk's own
// peak at its login panel.
std::map<QString, long> residentKb, childPeakKb;

long currentRssKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

long peakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long childHighWaterKb(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void noteMemory(const Database& d) {
    residentKb[d.label] = std::max(residentKb[d.label], currentRssKb());
}

template <class F> double timed(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

// ---- where the time goes ----------------------------------------------------------------

// With --trace-sql, one more visit per database after the measured runs, with every statement
// SQLite runs timed from its first step to its reset (the program's handling of the rows in
// between included; SQLite's own profile clock counts whole milliseconds only): per action the
// time in statements and the statements that took most.
class SqlTrace {
  public:
    void attach(QSqlDatabase db) {
        const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
        if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return;
        handle_ = *static_cast<sqlite3* const*>(v.constData());
        clock_.start();
        sqlite3_trace_v2(handle_, SQLITE_TRACE_STMT | SQLITE_TRACE_PROFILE, &SqlTrace::onTrace, this);
    }
    void detach() {
        if (handle_) sqlite3_trace_v2(handle_, 0, nullptr, nullptr);
        handle_ = nullptr;
    }
    void begin() {
        statements_.clear();
        started_.clear();
    }
    // One line: the action's time, its statements' time and count, the heaviest statements.
    void report(const QString& action, double ms) const {
        std::map<QString, std::pair<int, double>> bySql;
        double total = 0;
        for (const auto& [sql, t] : statements_) {
            auto& e = bySql[sql];
            ++e.first;
            e.second += t;
            total += t;
        }
        std::vector<std::pair<QString, std::pair<int, double>>> heavy(bySql.begin(), bySql.end());
        std::sort(heavy.begin(), heavy.end(),
                  [](const auto& a, const auto& b) { return a.second.second > b.second.second; });
        std::printf("  %-36s %8.2f ms, statements %7.2f ms in %3d\n", action.toUtf8().constData(), ms, total,
                    int(statements_.size()));
        for (size_t i = 0; i < heavy.size() && i < 3 && heavy[i].second.second >= 0.3; ++i)
            std::printf("      %6.2f ms x%-3d %s\n", heavy[i].second.second, heavy[i].second.first,
                        heavy[i].first.simplified().left(150).toUtf8().constData());
    }

  private:
    static int onTrace(unsigned type, void* context, void* statement, void*) {
        auto* self = static_cast<SqlTrace*>(context);
        auto* st = static_cast<sqlite3_stmt*>(statement);
        const qint64 now = self->clock_.nsecsElapsed();
        if (type == SQLITE_TRACE_STMT) {
            self->started_.emplace(st, now); // a statement's first step; later steps keep it
        } else if (type == SQLITE_TRACE_PROFILE) {
            const auto it = self->started_.find(st);
            if (it == self->started_.end()) return 0;
            const char* sql = sqlite3_sql(st);
            self->statements_.push_back({QString::fromUtf8(sql ? sql : "?"), double(now - it->second) / 1e6});
            self->started_.erase(it);
        }
        return 0;
    }
    sqlite3* handle_ = nullptr;
    QElapsedTimer clock_;
    std::map<sqlite3_stmt*, qint64> started_;
    std::vector<std::pair<QString, double>> statements_;
};
SqlTrace* tracing = nullptr;

// ---- the front desk in this process -------------------------------------------------------

// The real front desk on one file: main window, work form, data module, shown.
struct Desk {
    explicit Desk(const Database& d) {
        Clock::freeze(QDateTime(d.day, QTime(14, 0)));
        main = std::make_unique<TFormWMain>(d.path);
        work = std::make_unique<TFormWork>(main.get());
        dm = std::make_unique<TDMTable>(main->db());
        main->attach(work.get(), dm.get());
        work->attach(dm.get());
        main->show();
        QApplication::processEvents();
    }
    ~Desk() {
        main->SilentExit = true;
        main->close();
        QApplication::processEvents();
        work.reset();
        dm.reset();
        main.reset();
        ErrorGuard::configure(ProgramKind::FrontDesk, {});
    }
    void logIn() {
        work->dbl_order->setCurrentIndex(0);
        emit work->dbl_order->activated(0);
        work->editoper->clear();
        work->editpass->clear();
        QTest::keyClicks(work->editoper, QStringLiteral("01"));
        QTest::keyClicks(work->editpass, QStringLiteral("admin"));
        QTest::mouseClick(work->SpeedButton5, Qt::LeftButton);
        QApplication::processEvents();
    }
    std::unique_ptr<TFormWMain> main;
    std::unique_ptr<TFormWork> work;
    std::unique_ptr<TDMTable> dm;
};

std::unique_ptr<Desk> desk;
QString deskPath;

void closeDesk() {
    desk.reset();
    deskPath.clear();
}

// The logged-in desk on `d`; true when it was made just now.
bool deskOn(const Database& d) {
    if (desk && deskPath == d.path) return false;
    closeDesk();
    desk = std::make_unique<Desk>(d);
    desk->logIn();
    deskPath = d.path;
    return true;
}

bool locateTable(Desk& k, const QString& code) {
    db::Dataset& board = *k.dm->adoqry_table;
    board.setFiltered(false);
    return board.locate(QStringLiteral("tabl_code"), code);
}

QString stateOf(Desk& k, const QString& code) {
    return db::scalarText(k.main->db(),
                          QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {code});
}

QString lastTexts() {
    return yes->last.join(QStringLiteral(" | "));
}

// Twelve single items (one a composite) and two set menus with their six components: 20 lines.
const char* const kPicks[] = {"1001", "1002", "1003", "1004", "1005", "2001", "2002",
                              "3001", "3002", "4001", "4002", "5001", "6001", "6002"};

// One visit on table A02, from opening to clearing. With `record` the actions' times go into the
// table; returns what went wrong, empty when nothing.
QString cashierCycle(const Database& d, bool measured) {
    Desk& k = *desk;
    TFormWork& w = *k.work;
    const QString table = QStringLiteral("A02");
    const auto step = [&](const char* action, auto&& f) {
        if (tracing) tracing->begin();
        const double ms = timed([&] { guarded(f); });
        if (measured) record(QString::fromUtf8(action), Target::Cashier, d, ms);
        if (tracing) tracing->report(QString::fromUtf8(action), ms);
        return ms;
    };
    if (!locateTable(k, table) || stateOf(k, table) != QLatin1String("1"))
        return QStringLiteral("table A02 is not free");
    step("open a table", [&] {
        w.registerScreen->enter();
        w.registerScreen->open();
    });
    if (stateOf(k, table) != QLatin1String("2")) return QStringLiteral("opening failed: ") + lastTexts();
    step("order screen", [&] { w.orderScreen->open(); });
    for (const char* code : kPicks) {
        db::Dataset& items = *k.dm->adoqry_ConsItem;
        items.setFiltered(false);
        if (items.locate(QStringLiteral("item_code"), QString::fromLatin1(code)))
            guarded([&] { w.orderScreen->pick(); });
    }
    const qint64 key = k.dm->adoqry_TableGues->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    step("commit the pad (20 lines)", [&] { w.orderScreen->commit(); });
    const qint64 committed = db::scalarInt(
        k.main->db(), QStringLiteral("SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?"),
        {key});
    if (committed < 15) return QStringLiteral("only %1 lines committed: %2").arg(committed).arg(lastTexts());
    step("back to the board", [&] { w.moves->backToBoard(); });
    locateTable(k, table);
    step("table's work screen", [&] { w.tableBoard->dispatch(); });
    step("enter the bill", [&] { w.bill->enterBill(); });

    // The card's password check on its own; the choice the cashier makes on the bill; and the
    // same choice with the card's hash made at one round, which leaves what choosing costs
    // besides the check.
    const QString card = QStringLiteral("8800001"), password = QStringLiteral("123456");
    const QString cardSql = QStringLiteral("SELECT memb_pass FROM MemberList WHERE memb_card_code = ?");
    const QString stored = db::scalarText(k.main->db(), cardSql, {card});
    bool verified = false;
    const double check = timed([&] { verified = verifyPassword(password, stored); });
    if (!verified) return QStringLiteral("the card's password does not match");
    bool chosen = false;
    const auto choose = [&] { guarded([&] { chosen = w.bill->checkout().chooseMember(card, password); }); };
    if (tracing) tracing->begin();
    const double choice = timed(choose);
    if (tracing) tracing->report(QString::fromUtf8(kChooseCard), choice);
    if (!chosen) return QStringLiteral("choosing the card failed: ") + lastTexts();
    static const QString oneRound = hashPassword(password, 1);
    const QString setPass = QStringLiteral("UPDATE MemberList SET memb_pass = ? WHERE memb_card_code = ?");
    db::exec(k.main->db(), setPass, {oneRound, card});
    const double lean = timed(choose);
    db::exec(k.main->db(), setPass, {stored, card});
    if (!chosen) return QStringLiteral("choosing the card again failed: ") + lastTexts();
    if (measured) {
        record(QString::fromUtf8(kPasswordAlone), Target::None, d, check);
        record(QString::fromUtf8(kChooseCard), Target::Cashier, d, choice);
        record(QString::fromUtf8(kChooseCardLess), Target::None, d, lean);
    }
    guarded([&] {
        db::Dataset& pay = *k.dm->adoqry_PayType;
        if (pay.locate(QStringLiteral("pay_type_code"), QStringLiteral("M"))) {
            pay.edit();
            pay.field(QStringLiteral("pay_type_mone")).setValue(50.0);
            pay.post();
        }
    });
    // The guest's bill built from the payment's preview pass and sent to the printer (which
    // here takes it without printing), 20 lines and a member card.
    step("build the printed bill", [&] { w.bill->print(); });
    // The same bill on this desk's receipt printer: rendered for 80 mm, as ESC/POS, sent to a
    // printer on a local socket (connecting included).
    {
        QTcpServer printer;
        printer.listen(QHostAddress::LocalHost);
        const QString host = frontdesk::deskHostName();
        frontdesk::DeskPrinters printers;
        const QString address = QStringLiteral("127.0.0.1:%1").arg(printer.serverPort());
        printers.bill = {frontdesk::PrinterKind::Receipt, 80, 48, address, true};
        frontdesk::storeDeskPrinters(k.main->db(), host, printers);
        step(kReceiptBill, [&] { w.bill->print(); });
        db::exec(k.main->db(), QStringLiteral("DELETE FROM PrinterList WHERE prin_host = ?"), {host});
        QByteArray received;
        if (printer.hasPendingConnections() || printer.waitForNewConnection(2000)) {
            QTcpSocket* s = printer.nextPendingConnection();
            while (s->state() == QAbstractSocket::ConnectedState && s->waitForReadyRead(1000))
                received += s->readAll();
            received += s->readAll();
        }
        if (!received.endsWith("\x1DV\x01")) // the cut at its end
            return QStringLiteral("the receipt printer got %1 bytes: ").arg(received.size()) + lastTexts();
    }
    step("check out (cash and member card)", [&] { w.bill->settle(); });
    if (stateOf(k, table) != QLatin1String("3")) return QStringLiteral("checkout failed: ") + lastTexts();
    locateTable(k, table);
    guarded([&] { w.tableBoard->dispatch(); });
    step("clear the table", [&] { w.moves->clearTable(); });
    if (stateOf(k, table) != QLatin1String("1")) return QStringLiteral("clearing failed: ") + lastTexts();
    return {};
}

// ---- the benchmarks ---------------------------------------------------------------------

void fail(benchmark::State& state, const QString& why) {
    state.SkipWithError(why.toStdString().c_str());
}

void startUpInProcess(benchmark::State& state, const Database& d) {
    closeDesk();
    for (auto _ : state) {
        std::unique_ptr<Desk> fresh;
        const double ms = timed([&] { fresh = std::make_unique<Desk>(d); });
        if (!fresh->work->pnl_login->isVisible()) fail(state, QStringLiteral("the login panel is not shown"));
        record(QString::fromUtf8(kStartInProcess), Target::None, d, ms);
        noteMemory(d);
        fresh.reset();

        std::unique_ptr<QMainWindow> window;
        db::Connection conn;
        const double bare = timed([&] {
            window = std::make_unique<QMainWindow>();
            conn.open(d.path);
            window->show();
        });
        record(QString::fromUtf8(kBareInProcess), Target::None, d, bare);
        window.reset();
        conn.close();
        state.SetIterationTime(ms / 1000.0);
    }
}

// The back office built as its entry builds it, shown with its login panel, in this process.
void backOfficeStartUp(benchmark::State& state, const Database& d) {
    closeDesk();
    for (auto _ : state) {
        std::unique_ptr<backoffice::BackOfficeParts> parts;
        const double ms = timed([&] {
            parts = std::make_unique<backoffice::BackOfficeParts>(d.path);
            parts->main->show();
        });
        if (!parts->main->pnl_login->isVisible()) fail(state, QStringLiteral("the back office's login panel is not shown"));
        record(QString::fromUtf8(kBackOfficeStart), Target::SameAsFresh, d, ms);
        parts->main->ExitMode = 2;
        parts->main->close();
        parts.reset();
        QApplication::processEvents();
        state.SetIterationTime(ms / 1000.0);
    }
}

// The back office's two stock query screens, logged in and reached through the stock tree; "查询"
// pressed for the statement of the unit with most posted bills over the month up to the last
// posted bill, the movements of the item with most posted lines over that month, and every
// item's movements of that last day. On a file without posted bills the queries find nothing.
void stockQueries(benchmark::State& state, const Database& d) {
    closeDesk();
    Clock::freeze(QDateTime(d.day, QTime(14, 0)));
    backoffice::BackOfficeParts parts(d.path);
    backoffice::TFormSMain& main = *parts.main;
    backoffice::TFormChild& child = *parts.child;
    main.show();
    QApplication::processEvents();
    QTest::keyClicks(main.editoper, QStringLiteral("01"));
    QTest::keyClicks(main.editpass, QStringLiteral("admin"));
    QTest::mouseClick(main.SpeedButton9, Qt::LeftButton);
    QApplication::processEvents();
    if (!main.LoggedIn) return fail(state, QStringLiteral("the back office did not log in: ") + lastTexts());
    QSqlDatabase db = main.db();
    const QString unit = db::scalarText(
        db, QStringLiteral("SELECT work_code FROM AllStoreBill GROUP BY work_code ORDER BY count(*) DESC, "
                           "work_code LIMIT 1"));
    const QString item = db::scalarText(
        db, QStringLiteral("SELECT item_code FROM AllStoreDetail GROUP BY item_code ORDER BY count(*) DESC, "
                           "item_code LIMIT 1"));
    QDate last =
        db::scalarDateTime(db, QStringLiteral("SELECT max(stor_bill_date_work) FROM AllStoreBill")).date();
    if (!last.isValid()) last = d.day;
    const QDate monthBefore = last.addMonths(-1).addDays(1);
    const auto leaf = [&](const char* caption) {
        guarded([&] {
            main.N8->trigger();
            main.treeClicked(child.tv_Store,
                             backoffice::TFormChild::leaf(child.tv_Store, QString::fromUtf8(caption)));
        });
        QApplication::processEvents();
    };
    const auto dates = [&](const char* from, const char* until, const QDate& first, const QDate& end) {
        main.findChild<QDateEdit*>(QString::fromLatin1(from))->setDate(first);
        main.findChild<QDateEdit*>(QString::fromLatin1(until))->setDate(end);
    };
    const auto query = [&] { return timed([&] { main.toolb_Search->click(); }); };
    for (auto _ : state) {
        leaf("库存帐务");
        auto* units = main.findChild<QComboBox*>(QStringLiteral("DBLookupComboBox10"));
        units->setCurrentIndex(units->findData(unit));
        dates("DateTimePicker2", "DateTimePicker3", monthBefore, last);
        const double statement = query();
        if (!unit.isEmpty() && parts.manage->adoqry_AllStoreBill->isEmpty())
            return fail(state, QStringLiteral("the statement found no bill"));
        record(QString::fromUtf8(kStatementMonth), Target::Query, d, statement);

        leaf("帐务查询");
        auto* code = main.findChild<QLineEdit*>(QStringLiteral("Edit7"));
        code->setText(item);
        dates("DateTimePicker10", "DateTimePicker11", monthBefore, last);
        const double ofItem = query();
        record(QString::fromUtf8(kMovementsItemMonth), Target::Query, d, ofItem);
        code->clear();
        dates("DateTimePicker10", "DateTimePicker11", last, last);
        const double ofDay = query();
        record(QString::fromUtf8(kMovementsAllDay), Target::Query, d, ofDay);
        state.SetIterationTime((statement + ofItem + ofDay) / 1000.0);
    }
    noteMemory(d);
    main.ExitMode = 2;
    main.close();
    QApplication::processEvents();
}

// "执行" of an open purchase of 20 lines (items with counted stock, from the most stocked), as
// the stock bill screen runs it: totals, archive, stock and average cost, derived counts, the
// unit's balance, one transaction. The bill is written before the clock starts.
void stockPosting(benchmark::State& state, const Database& d) {
    closeDesk();
    db::Connection c;
    c.open(d.path);
    QSqlDatabase db = c.db();
    const QString unit = db::scalarText(db, QStringLiteral("SELECT work_code FROM WorkList ORDER BY work_code LIMIT 1"));
    for (auto _ : state) {
        const qint64 bill = db::insert(db,
                                       QStringLiteral("INSERT INTO StoreBill (stor_bill_code, stor_bill_type, work_code, "
                                                      "oper_code, stor_bill_date, stor_bill_date_work) VALUES "
                                                      "('BENCH', '进货单', ?, '01', ?, ?)"),
                                       {unit, QDateTime(d.day, QTime(14, 0)), QDateTime(d.day, QTime(0, 0))});
        db::exec(db,
                 QStringLiteral("INSERT INTO StoreDetail (stor_bill_ID, stor_bill_code, item_code, item_name, item_unit, "
                                "item_cost_pric, item_coun) SELECT ?, 'BENCH', item_code, item_name, item_unit, "
                                "COALESCE(item_cost_pric, 1), 10 FROM itemlist WHERE item_type_code IN ('1', '4') "
                                "ORDER BY item_coun DESC, item_code LIMIT 20"),
                 {bill});
        bool posted = false;
        const double ms = timed([&] {
            db::Transaction tx(db);
            posted = db::postStockBill(db, bill, true);
            tx.commit();
        });
        if (!posted) return fail(state, QStringLiteral("the bill did not post"));
        record(QString::fromUtf8(kPostBill), Target::Posting, d, ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

// The sales analysis of the reports menu on the logged-in desk, as "重新统计" runs it (the
// statements run and the grids filled): the month and the year up to the business day, each
// for the whole venue and for its busiest department; the month's printed report (both parts
// and the chart page) to PDF.
void salesReports(benchmark::State& state, const Database& d) {
    const bool made = deskOn(d);
    (void)made;
    SalesAnalysis* sales = nullptr;
    guarded([&] {
        desk->work->sales->N5Click();
        sales = desk->work->sales.peek();
    });
    if (!sales || desk->main->CurrentPanel() != sales->panel) return fail(state, QStringLiteral("no sales analysis: ") + lastTexts());
    QSqlDatabase db = desk->main->db();
    const QString dept = db::scalarText(db, QStringLiteral("SELECT dept_name FROM AllGues GROUP BY dept_name ORDER BY count(*) DESC LIMIT 1"));
    const QDate last = d.day;
    const auto runFor = [&](const QDate& first, bool filtered) {
        sales->startDate->setDate(first);
        sales->endDate->setDate(last);
        sales->filterBox->setChecked(filtered);
        if (filtered) sales->valueBox->setCurrentIndex(sales->valueBox->findText(dept));
        return timed([&] { guarded([&] { sales->rerun(); }); });
    };
    const QString pdf = d.folder + QStringLiteral("/bench-report.pdf");
    for (auto _ : state) {
        const double month = runFor(last.addDays(-29), false);
        record(QString::fromUtf8(kSalesMonth), Target::Within, d, month);
        record(QString::fromUtf8(kSalesMonthDept), Target::Within, d, runFor(last.addDays(-29), true));
        record(QString::fromUtf8(kSalesYear), Target::Within, d, runFor(last.addDays(-364), false));
        record(QString::fromUtf8(kSalesYearDept), Target::Within, d, runFor(last.addDays(-364), true));
        runFor(last.addDays(-29), false);
        bool saved = false;
        const double print = timed([&] { saved = sales->report().document().savePdf(pdf); });
        if (!saved) return fail(state, QStringLiteral("the report's PDF was not written"));
        record(QString::fromUtf8(kSalesMonthPdf), Target::Within, d, print);
        state.SetIterationTime(month / 1000.0);
    }
    QFile::remove(pdf);
    noteMemory(d);
    guarded([&] { sales->back(); });
}

// The report screen `action` of the reports menu shows, once run; null (the failure told) when it
// does not show.
template <class T>
T* reportScreen(benchmark::State& state, const char* action, LazyScreen<T>& screen) {
    T* s = nullptr;
    guarded([&] {
        desk->main->runAction(QString::fromLatin1(action));
        s = screen.peek();
    });
    if (s && desk->main->CurrentPanel() == s->panel) return s;
    fail(state, QStringLiteral("no screen for ") + QString::fromLatin1(action) + QStringLiteral(": ") + lastTexts());
    return nullptr;
}

// The screen's printed report saved to `pdf`, timed as `row`; false (the failure told) when no
// PDF was written.
bool timedPdf(benchmark::State& state, const Database& d, const char* row, const ReportScreen* s, const QString& pdf) {
    bool saved = false;
    const double ms = timed([&] { saved = s->report().document().savePdf(pdf); });
    if (!saved) {
        fail(state, QStringLiteral("no PDF for ") + QString::fromUtf8(row));
        return false;
    }
    record(QString::fromUtf8(row), Target::Within, d, ms);
    return true;
}

// The table analysis and the ordered-items analysis on the logged-in desk, each reached from
// the reports menu's action and run by "重新统计" (the statement run and the grid filled): the
// month and the year up to the business day, the items in each order of the sort list (each
// choice re-runs); the month's printed reports to PDF.
void tableAndItemReports(benchmark::State& state, const Database& d) {
    deskOn(d);
    TableAnalysis* rooms = reportScreen(state, "reports.N6", desk->work->rooms);
    DishAnalysis* dishes = rooms ? reportScreen(state, "reports.N3", desk->work->dishes) : nullptr;
    if (!dishes) return;
    const QDate last = d.day;
    const auto period = [&](ReportScreen* s, const QDate& first) {
        s->startDate->setDate(first);
        s->endDate->setDate(last);
    };
    const QString pdf = d.folder + QStringLiteral("/bench-report.pdf");
    for (auto _ : state) {
        double month = 0;
        for (const bool year : {false, true}) {
            period(rooms, last.addDays(year ? -364 : -29));
            const double ms = timed([&] { guarded([&] { rooms->rerun(); }); });
            record(QString::fromUtf8(year ? kRoomsYear : kRoomsMonth), Target::Within, d, ms);
            if (!year) month = ms;
        }
        period(rooms, last.addDays(-29));
        guarded([&] { rooms->rerun(); });
        if (!timedPdf(state, d, kRoomsMonthPdf, rooms, pdf)) return;

        for (const bool year : {false, true}) {
            period(dishes, last.addDays(year ? -364 : -29));
            for (int sort = 0; sort < 4; ++sort) {
                dishes->cmb_Sort->setCurrentIndex(sort);
                // As a choice of the sort list runs it.
                record(dishRow(year, sort), Target::Within, d,
                       timed([&] { guarded([&] { emit dishes->cmb_Sort->activated(sort); }); }));
            }
        }
        period(dishes, last.addDays(-29));
        dishes->cmb_Sort->setCurrentIndex(0);
        guarded([&] { dishes->rerun(); });
        if (!timedPdf(state, d, kDishMonthPdf, dishes, pdf)) return;
        state.SetIterationTime(month / 1000.0);
    }
    QFile::remove(pdf);
    noteMemory(d);
    guarded([&] { dishes->back(); });
}

// The board's "反结" on table A02 (free; its bills of the business day are the generated ones
// and those the cashier's cycles cleared, none on the fresh file when the cycles did not run):
// the screen built once, then each time the table's bills of today listed (ReportRoom on the
// archive's date index) and the screen shown.
void reverseList(benchmark::State& state, const Database& d) {
    deskOn(d);
    const QString table = QStringLiteral("A02");
    if (!locateTable(*desk, table) || stateOf(*desk, table) != QLatin1String("1"))
        return fail(state, QStringLiteral("table A02 is not free"));
    guarded([&] { desk->main->runAction(QStringLiteral("board.reverse")); });
    ReverseScreen* screen = desk->work->reverse.peek();
    if (!screen || desk->main->CurrentPanel() != screen->pnl_Reagain)
        return fail(state, QStringLiteral("no reverse checkout screen: ") + lastTexts());
    for (auto _ : state) {
        guarded([&] { screen->back(); });
        locateTable(*desk, table);
        const double ms = timed([&] { guarded([&] { desk->main->runAction(QStringLiteral("board.reverse")); }); });
        record(QString::fromUtf8(kReverseList), Target::Within, d, ms);
        state.SetIterationTime(ms / 1000.0);
    }
    guarded([&] { screen->back(); });
    noteMemory(d);
}

// The query reports on the logged-in desk, each reached from the reports menu's action and run
// by "重新统计" / "重新查询" (the statement run and the grid filled; the order rows until their
// first page shows): the bills, the member bills of the card with most bills in the year, the
// credit bills of every account (their drop-down filled again too) and the order rows, each for
// the month and the year up to the business day; "明细查询" on the month's first bill; the
// month's bill list to PDF.
void queryReports(benchmark::State& state, const Database& d) {
    deskOn(d);
    BillQueries* queries = nullptr;
    guarded([&] {
        desk->main->runAction(QStringLiteral("reports.N10"));
        queries = desk->work->billQueries.peek();
    });
    if (!queries || desk->main->CurrentPanel() != queries->bills->panel)
        return fail(state, QStringLiteral("no bill list: ") + lastTexts());
    QSqlDatabase db = desk->main->db();
    const QDate last = d.day;
    const QString card = db::scalarText(db,
                                        QStringLiteral("SELECT memb_card_code FROM AllGues WHERE memb_mone <> 0 AND "
                                                       "tabl_gues_time_work >= ? GROUP BY memb_card_code "
                                                       "ORDER BY count(*) DESC LIMIT 1"),
                                        {toDbDate(last.addDays(-364))});
    ReportScreen* screens[] = {queries->bills, queries->members, queries->credits, queries->orders};
    const char* actions[] = {"reports.N10", "reports.N12", "reports.N13", "reports.N11"};
    const auto runFor = [&](int list, const QDate& first) {
        ReportScreen* s = screens[list];
        s->startDate->setDate(first);
        s->endDate->setDate(last);
        return timed([&] { guarded([&] { s->rerun(); }); });
    };
    const QString pdf = d.folder + QStringLiteral("/bench-report.pdf");
    for (auto _ : state) {
        double month = 0;
        for (int list = 0; list < 4; ++list) {
            guarded([&] { desk->main->runAction(QString::fromLatin1(actions[list])); });
            if (list == 1) queries->members->Edit_MembCard->setText(card);
            for (const bool year : {false, true}) {
                const double ms = runFor(list, last.addDays(year ? -364 : -29));
                record(queryRow(list, year), Target::Within, d, ms);
                if (list == 0 && !year) month = ms;
            }
        }
        if (d.tag != QLatin1String("fresh") && queries->orders->rows->rowsRead() == 0)
            return fail(state, QStringLiteral("the order rows found nothing"));

        guarded([&] { desk->main->runAction(QStringLiteral("reports.N10")); });
        runFor(0, last.addDays(-29));
        if (!desk->work->AuxQuery5->isEmpty()) {
            const double detail = timed([&] { guarded([&] { queries->DBGrid27DblClick(); }); });
            if (desk->main->CurrentPanel() != queries->detail->pnl_AB11)
                return fail(state, QStringLiteral("no bill detail: ") + lastTexts());
            record(QString::fromUtf8(kBillDetail), Target::Within, d, detail);
            guarded([&] { queries->ToolButton92Click(); });
        }
        bool saved = false;
        const double print = timed([&] { saved = queries->bills->report().document().savePdf(pdf); });
        if (!saved) return fail(state, QStringLiteral("the bill list's PDF was not written"));
        if (d.tag != QLatin1String("fresh")) record(QString::fromUtf8(kBillsPdf), Target::Within, d, print);
        state.SetIterationTime(month / 1000.0);
    }
    QFile::remove(pdf);
    noteMemory(d);
    guarded([&] { queries->bills->back(); });
}

// The operations and performance analyses on the logged-in desk, each reached from the reports
// menu's action: every mode run by "重新查询" (the statement run and the grid filled) for the month
// and the year up to the business day, for everybody and for the name the mode's list offers that
// counts most rows (its list read before the clock starts); the month's bills of the operations
// and the month's bill totals of the performance to PDF.
void staffReports(benchmark::State& state, const Database& d) {
    deskOn(d);
    OperationAnalysis* operations = reportScreen(state, "reports.N7", desk->work->operations);
    PerformanceAnalysis* performance = operations ? reportScreen(state, "reports.N8", desk->work->performance) : nullptr;
    if (!performance) return;
    QSqlDatabase db = desk->main->db();
    // The busiest name of each mode.
    const auto busiest = [&](const char* column, const char* table, const char* where) {
        return db::scalarText(db, QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL%3 GROUP BY %1 ORDER BY count(*) DESC LIMIT 1")
                                      .arg(QLatin1String(column), QLatin1String(table), QLatin1String(where)));
    };
    const QString billStaff = busiest("dedu_oper_name", "AllGues", " AND dedu_mone > 0");
    const QString lineStaff = busiest("dedu_oper_name", "AllCons", " AND dedu_oper_code IS NOT NULL");
    const QStringList operNames = {busiest("oper_name", "AllCons", ""), busiest("oper_name", "AllGues", ""),
                                   busiest("book_oper_name", "AllGues", " AND book_flag <> 0")};
    const QStringList deduNames = {lineStaff.isEmpty() ? billStaff : lineStaff, lineStaff.isEmpty() ? billStaff : lineStaff,
                                   billStaff, billStaff};
    const QDate last = d.day;
    const auto runFor = [&](StaffReportScreen* s, int mode, const QDate& first, const QString& name) {
        guarded([&] {
            if (s->mode() != mode) s->chooseMode(mode);
            s->startDate->setDate(first);
            s->endDate->setDate(last);
            if (name.isEmpty() || !s->staffBox->choose(name)) s->staffBox->setCurrentIndex(-1);
        });
        return timed([&] { guarded([&] { s->rerun(); }); });
    };
    const QString pdf = d.folder + QStringLiteral("/bench-report.pdf");
    for (auto _ : state) {
        double month = 0;
        for (const bool isPerformance : {false, true}) {
            StaffReportScreen* s = isPerformance ? static_cast<StaffReportScreen*>(performance) : operations;
            const QStringList& names = isPerformance ? deduNames : operNames;
            for (int mode = 0; mode < names.size(); ++mode)
                for (const bool year : {false, true})
                    for (const bool named : {false, true}) {
                        const double ms = runFor(s, mode, last.addDays(year ? -364 : -29), named ? names[mode] : QString());
                        record(staffRow(isPerformance, mode, year, named), Target::Within, d, ms);
                        if (!isPerformance && mode == 1 && !year && !named) month = ms;
                    }
        }
        runFor(operations, 1, last.addDays(-29), {});
        if (!timedPdf(state, d, kOperBillsMonthPdf, operations, pdf)) return;
        runFor(performance, 3, last.addDays(-29), {});
        if (!timedPdf(state, d, kDeduTotalsMonthPdf, performance, pdf)) return;
        state.SetIterationTime(month / 1000.0);
    }
    QFile::remove(pdf);
    noteMemory(d);
    guarded([&] { performance->back(); });
}

// A program started as a child and timed until it lets go of a connection on `name`, which it
// does once its event loop runs, after its window is shown.
struct ChildRun {
    double findable = -1; // the name answers: the main window exists
    double ready = -1;    // the connection was let go
    long peakKb = 0;
    QString error;
};

ChildRun runChild(const QString& program, const QStringList& args, const QString& name, const QString& log,
                  const QProcessEnvironment& env) {
    ChildRun out;
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QFileInfo(program).absolutePath());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(log, QIODevice::Append);
    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForStarted(10000)) {
        out.error = QStringLiteral("%1 did not start: %2").arg(program, p.errorString());
        return out;
    }
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(100)) break;
        socket.abort();
        if (p.state() == QProcess::NotRunning || t.elapsed() > 30000) {
            out.error = QStringLiteral("%1 never answered (see %2)").arg(program, log);
            p.kill();
            p.waitForFinished(5000);
            return out;
        }
        QThread::usleep(200);
    }
    out.findable = double(t.nsecsElapsed()) / 1e6;
    if (socket.state() == QLocalSocket::ConnectedState && !socket.waitForDisconnected(30000)) {
        out.error = QStringLiteral("%1 did not let go of the connection").arg(program);
    } else {
        out.ready = double(t.nsecsElapsed()) / 1e6;
    }
    out.peakKb = childHighWaterKb(p.processId());
    p.kill();
    p.waitForFinished(5000);
    return out;
}

int childRuns = 0;

void startUpProcess(benchmark::State& state, const Database& d, const QString& binDir) {
    closeDesk();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Our own names, so that no front desk or back office running on this machine answers, and
    // none of them keeps ours from starting.
    const QString scope = QStringLiteral("kxbench%1").arg(QCoreApplication::applicationPid());
    env.insert(QStringLiteral("KESTRIX_INSTANCE_SCOPE"), scope);
    const QString log = d.folder + QStringLiteral("/children.log");
    for (auto _ : state) {
        const int n = childRuns++;
        const auto frontDesk = [&] {
            const ChildRun r = runChild(d.folder + QStringLiteral("/frontdesk"), {},
                                        QStringLiteral("tformwmain1-") + scope, log, env);
            if (!r.error.isEmpty()) return fail(state, r.error);
            record(QString::fromUtf8(kStartProcess), Target::ProcessStart, d, r.ready);
            record(QString::fromUtf8(kStartFindable), Target::None, d, r.findable);
            childPeakKb[d.label] = std::max(childPeakKb[d.label], r.peakKb);
            state.SetIterationTime(r.ready / 1000.0);
        };
        const auto bare = [&] {
            const QString name = QStringLiteral("%1-bare").arg(scope);
            const ChildRun r =
                runChild(binDir + QStringLiteral("/kestrix-bare-window"), {d.path, name}, name, log, env);
            if (!r.error.isEmpty()) return fail(state, r.error);
            record(QString::fromUtf8(kBareProcess), Target::None, d, r.ready);
        };
        // Which of the two goes first changes from run to run.
        if (n % 2 == 0) {
            frontDesk();
            bare();
        } else {
            bare();
            frontDesk();
        }
    }
}

void cashierCycles(benchmark::State& state, const Database& d) {
    // A desk made just now runs one visit unmeasured first: the first use of each screen is
    // start-up's share, measured apart.
    if (deskOn(d)) {
        const QString error = cashierCycle(d, false);
        if (!error.isEmpty()) return fail(state, error);
    }
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const QString error = cashierCycle(d, true);
        if (!error.isEmpty()) {
            fail(state, error);
            break;
        }
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
    }
    noteMemory(d);
}

// The visits of the open day cleared and not yet removed, brought up to `count`: five hundred on
// every database, whatever it held before.
void clearedVisitsUpTo(Desk& k, int count, quint64 seed) {
    const qint64 have = db::scalarInt(
        k.main->db(), QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0"));
    if (have < count) db::addClearedVisits(k.main->db(), int(count - have), seed);
    k.dm->adoqry_TableGues->refresh();
}

QStringList backupsIn(const Database& d) {
    return QDir(d.folder + QStringLiteral("/back"))
        .entryList({QStringLiteral("*.bak"), QStringLiteral("*.part")}, QDir::Files);
}

void removeBackups(const Database& d) {
    QDir back(d.folder + QStringLiteral("/back"));
    for (const QString& f : back.entryList(QDir::Files))
        back.remove(f);
}

int dayEndRound = 0;

void dayEnd(benchmark::State& state, const Database& d, bool withBackup) {
    // A desk made just now builds the handover screen once unmeasured, as the cycles warm up.
    if (deskOn(d)) guarded([&] { desk->work->day->showHandover(); });
    Desk& k = *desk;
    for (auto _ : state) {
        clearedVisitsUpTo(k, 500, quint64(1000 + dayEndRound++));
        // The day screen's option, set as its check box sets it.
        k.dm->setup.set(QStringLiteral("work_back"), withBackup);
        removeBackups(d);
        const double handover = timed([&] { guarded([&] { k.work->day->showHandover(); }); });
        if (!withBackup) record(QString::fromUtf8(kHandover), Target::Cashier, d, handover);
        // The last shift hands over before the day ends, so that every round's summary counts
        // its own 500 visits and no more.
        guarded([&] { k.work->day->handOver(); });
        QElapsedTimer t;
        t.start();
        const double ms = timed([&] { guarded([&] { k.work->day->dayEnd(false); }); });
        record(QString::fromUtf8(withBackup ? kDayEndBackup : kDayEnd), Target::DayEnd, d, ms);
        state.SetIterationTime(ms / 1000.0);
        if (withBackup) {
            // The copy may go on beside the program after the call returns: wait until it is written.
            for (;;) {
                const QStringList files = backupsIn(d);
                if (files.size() == 1 && files[0].endsWith(QLatin1String(".bak"))) break;
                if (t.elapsed() > 120000) {
                    fail(state, QStringLiteral("no backup written: ") + lastTexts());
                    break;
                }
                QApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::usleep(500);
            }
            record(QString::fromUtf8(kBackupWritten), Target::None, d, double(t.nsecsElapsed()) / 1e6);
        }
        if (db::scalarInt(k.main->db(),
                          QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0")) != 0)
            fail(state, QStringLiteral("day end left cleared visits: ") + lastTexts());
        guarded([&] { k.work->day->dayStart(false); });
        k.dm->setup.set(QStringLiteral("work_back"), false);
        k.logIn();
        removeBackups(d);
        noteMemory(d);
    }
}

// The two ways of copying the file, alone: what the day end runs and the online backup routine.
void backupAlone(benchmark::State& state, const Database& d) {
    closeDesk();
    const QString target = d.folder + QStringLiteral("/back/alone.bak");
    QDir().mkpath(d.folder + QStringLiteral("/back"));
    for (auto _ : state) {
        removeBackups(d);
        double ms = 0;
        {
            db::Connection c;
            c.open(d.path);
            ms = timed([&] { db::exec(c.db(), QStringLiteral("VACUUM INTO ?"), {target}); });
        }
        record(QString::fromUtf8(kVacuumInto), Target::None, d, ms);
        removeBackups(d);
        const double online = timed([&] {
            try {
                db::backupDatabase(d.path, target);
            } catch (const DbError& e) {
                fail(state, e.message());
            }
        });
        record(QString::fromUtf8(kOnlineBackup), Target::None, d, online);
        removeBackups(d);
        state.SetIterationTime(ms / 1000.0);
    }
}

// "初始化数据库" on the logged-in desk, step by step as the menu entry runs it: the checked copy,
// the removal in its one transaction, the board and the visits read again. Measured once: it
// empties the database's history.
void initialise(benchmark::State& state, const Database& d) {
    deskOn(d);
    Desk& k = *desk;
    QSqlDatabase db = k.main->db();
    for (auto _ : state) {
        removeBackups(d);
        double copy = 0, removal = 0;
        try {
            copy = timed([&] { db::keepCopyBefore(db, QStringLiteral("init"), Clock::now()); });
            removal = timed([&] { db::initialiseData(db); });
        } catch (const DbError& e) {
            fail(state, e.message());
            break;
        }
        const double board = timed([&] {
            k.dm->adoqry_TableGues->refresh();
            k.work->tableBoard->Sort();
        });
        record(QString::fromUtf8(kInitCopy), Target::None, d, copy);
        record(QString::fromUtf8(kInitRemoval), Target::None, d, removal);
        record(QString::fromUtf8(kInitBoard), Target::None, d, board);
        record(QString::fromUtf8(kInitAll), Target::None, d, copy + removal + board);
        state.SetIterationTime((copy + removal + board) / 1000.0);
        if (db::scalarInt(db, QStringLiteral("SELECT count(*) FROM AllCons")) != 0 ||
            db::scalarInt(db, QStringLiteral("SELECT count(*) FROM TableList WHERE tabl_stat_code <> '1'")) != 0)
            fail(state, QStringLiteral("initialisation left rows behind"));
        removeBackups(d);
        noteMemory(d);
    }
}

// ---- files --------------------------------------------------------------------------------

QDate businessDay(const QString& path) {
    db::Connection c;
    c.open(path);
    return db::scalarDateTime(c.db(), QStringLiteral("SELECT time_work FROM SetupPay")).date();
}

// The member card pays in every cycle: give it room, as a top-up would.
void prepareForRuns(const QString& path) {
    db::Connection c;
    c.open(path);
    db::exec(c.db(),
             QStringLiteral(
                 "UPDATE MemberList SET memb_surp = memb_surp + 1000000 WHERE memb_card_code = '8800001'"));
    db::exec(
        c.db(),
        QStringLiteral("INSERT INTO membManage (memb_card_code, memb_card_type, memb_mana_save, "
                       "memb_mana_inte, memb_mana_rema) VALUES ('8800001', '储值卡', 1000000, 0, 'bench')"));
    db::exec(c.db(), QStringLiteral("update setuppay set work_back=0"));
    if (!c.isServer()) db::exec(c.db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void removeDb(const QString& path) {
    for (const char* s : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(s));
}

// A cached history, generated by kestrix-db when missing.
bool cached(const QString& binDir, const QString& path, const QStringList& options) {
    if (!QFile::exists(path)) {
        std::printf("generating %s (kestrix-db generate %s) ...\n", path.toUtf8().constData(),
                    options.join(QLatin1Char(' ')).toUtf8().constData());
        std::fflush(stdout);
        const QString part = path + QStringLiteral(".part");
        removeDb(part);
        QProcess tool;
        tool.setProcessChannelMode(QProcess::ForwardedChannels);
        tool.start(binDir + QStringLiteral("/kestrix-db"),
                   QStringList{QStringLiteral("generate")} + options + QStringList{part});
        if (!tool.waitForFinished(-1) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            std::fprintf(stderr, "generating %s failed\n", path.toUtf8().constData());
            removeDb(part);
            return false;
        }
        removeDb(part + QStringLiteral("-wal"));
        QFile::rename(part, path);
    }
    // A cache written by an older version is brought up to date once, here.
    db::Connection c;
    c.open(path);
    db::prepareDatabase(c.db(), true);
    db::exec(c.db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return true;
}

// A program folder of its own for one database: the front desk, its data file, its backups.
bool programFolder(const QString& binDir, const QString& folder, const QString& source) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/data"));
    QDir().mkpath(folder + QStringLiteral("/back"));
    const QString file = folder + QStringLiteral("/data/VenueData.MDB");
    bool ok = QFile::copy(binDir + QStringLiteral("/frontdesk"), folder + QStringLiteral("/frontdesk"));
    if (source.isEmpty()) {
        db::Connection c;
        c.open(file);
        db::prepareDatabase(c.db(), true, QDate::currentDate());
    } else {
        ok = ok && QFile::copy(source, file);
    }
    if (!ok) std::fprintf(stderr, "cannot make %s\n", folder.toUtf8().constData());
    return ok;
}

// A program folder whose data/database.ini names a new database `name` on the server behind
// `adminUrl`, holding a copy of the file `source` (a new sample database when empty). Prints
// how long the copy took.
bool serverFolder(const QString& binDir, const QString& folder, const QString& source, const QString& adminUrl,
                  const QString& name) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/data"));
    QDir().mkpath(folder + QStringLiteral("/back"));
    bool ok = QFile::copy(binDir + QStringLiteral("/frontdesk"), folder + QStringLiteral("/frontdesk"));
    try {
        {
            db::Connection admin;
            admin.openServer(adminUrl);
            db::exec(admin.db(), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
            db::exec(admin.db(), QStringLiteral("CREATE DATABASE %1").arg(name));
        }
        QUrl url(adminUrl);
        url.setPath(QLatin1Char('/') + name);
        QFile ini(folder + QStringLiteral("/data/database.ini"));
        ok = ok && ini.open(QIODevice::WriteOnly) && ini.write((QStringLiteral("url=") + url.toString() + '\n').toUtf8()) > 0;
        ini.close();
        db::Connection to;
        to.open(folder + QStringLiteral("/data/VenueData.MDB"));
        if (source.isEmpty()) {
            db::prepareDatabase(to.db(), true, QDate::currentDate());
        } else {
            db::Connection from;
            from.open(source);
            QElapsedTimer t;
            t.start();
            const db::CopyReport report = db::copyDatabase(from.db(), to.db());
            qint64 rowsCopied = 0;
            for (qint64 n : report.rows) rowsCopied += n;
            db::exec(to.db(), QStringLiteral("ANALYZE"));
            std::printf("copied %s to the server (%lld rows) in %.1f s\n", source.toUtf8().constData(),
                        static_cast<long long>(rowsCopied), t.elapsed() / 1000.0);
        }
    } catch (const DbError& e) {
        std::fprintf(stderr, "cannot make %s on the server: %s\n", name.toUtf8().constData(),
                     e.message().toUtf8().constData());
        return false;
    }
    if (!ok) std::fprintf(stderr, "cannot make %s\n", folder.toUtf8().constData());
    return ok;
}

// ---- the table ----------------------------------------------------------------------------

double median(std::vector<double> v) {
    if (v.empty()) return -1.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QStringList misses;

// The median of `r` on the database `d` is compared with: the fresh database of its own engine
// (the fresh server database with the fresh file, to show what the server costs).
double referenceMedian(const Row& r, const Database& d) {
    return !d.reference.isEmpty() && r.samples.count(d.reference) ? median(r.samples.at(d.reference)) : -1;
}

// Whether `d` is held to a ratio against its reference: a larger database against the fresh one
// of the same engine.
bool heldToRatio(const Database& d) {
    for (const Database& ref : databases)
        if (ref.label == d.reference) return ref.server == d.server;
    return false;
}

QString verdict(const Row& r) {
    QStringList out;
    for (const Database& d : databases) {
        if (!r.samples.count(d.label)) continue;
        const double m = median(r.samples.at(d.label));
        const double f = heldToRatio(d) ? referenceMedian(r, d) : -1;
        switch (r.target) {
        case Target::None:
            break;
        case Target::Cashier:
            if (m > kCashierMs) out << QStringLiteral("%1 > %2 ms").arg(d.tag).arg(kCashierMs);
            if (f > 0 && m > kCashierRatio * f)
                out << QStringLiteral("%1 %2x").arg(d.tag).arg(m / f, 0, 'f', 2);
            break;
        case Target::Query:
            if (m > kQueryMs) out << QStringLiteral("%1 > %2 ms").arg(d.tag).arg(kQueryMs);
            break;
        case Target::Posting:
            if (m > kPostingMs) out << QStringLiteral("%1 > %2 ms").arg(d.tag).arg(kPostingMs);
            break;
        case Target::DayEnd:
            if (m > kDayEndMs) out << QStringLiteral("%1 > 1 s").arg(d.tag);
            break;
        case Target::Within:
            if (m > r.limitMs) out << QStringLiteral("%1 > %2 ms").arg(d.tag).arg(r.limitMs);
            break;
        case Target::SameAsFresh:
            if (f > 0 && m > kStartRatio * f)
                out << QStringLiteral("%1 %2x").arg(d.tag).arg(m / f, 0, 'f', 2);
            break;
        case Target::ProcessStart: {
            const auto bare = std::find_if(rows.begin(), rows.end(),
                                           [&](const Row& b) { return b.action == r.comparedWith; });
            if (bare == rows.end() || !bare->samples.count(d.label)) break;
            const double b = median(bare->samples.at(d.label));
            if (b > 0 && m > kStartRatio * b)
                out << QStringLiteral("%1 %2x bare").arg(d.tag).arg(m / b, 0, 'f', 1);
            break;
        }
        }
    }
    if (r.target == Target::None) return QStringLiteral("");
    if (!out.isEmpty()) misses << r.action.trimmed() + QStringLiteral(": ") + out.join(QStringLiteral(", "));
    return out.isEmpty() ? QStringLiteral("ok") : QStringLiteral("MISS ") + out.join(QStringLiteral(", "));
}

void printTable() {
    std::printf("\n%-40s", "action (median, ms)");
    for (size_t i = 0; i < databases.size(); ++i) {
        std::printf(" %12s", databases[i].label.toUtf8().constData());
        if (i > 0) std::printf(" %6s", "ratio");
    }
    std::printf("  target\n");
    for (const Row& r : rows) {
        if (r.samples.empty()) continue;
        std::printf("%-40s", r.action.toUtf8().constData());
        for (size_t i = 0; i < databases.size(); ++i) {
            const double f = referenceMedian(r, databases[i]);
            const auto it = r.samples.find(databases[i].label);
            const double m = it == r.samples.end() ? -1 : median(it->second);
            if (m < 0)
                std::printf(" %12s", "-");
            else
                std::printf(" %12.2f", m);
            if (i > 0) {
                if (m >= 0 && f > 0)
                    std::printf(" %6.2f", m / f);
                else
                    std::printf(" %6s", "-");
            }
        }
        std::printf("  %s\n", verdict(r).toUtf8().constData());
    }
    std::printf("\npeak memory (max RSS of this process): %.1f MB\n", peakRssKb() / 1024.0);
    std::printf("largest resident size while working on:");
    for (const Database& d : databases)
        std::printf("  %s %.1f MB", d.label.toUtf8().constData(), residentKb[d.label] / 1024.0);
    std::printf("\nthe front desk program at its login panel (VmHWM):");
    for (const Database& d : databases)
        std::printf("  %s %.1f MB", d.label.toUtf8().constData(), childPeakKb[d.label] / 1024.0);
    std::printf("\n");
    if (peakRssKb() / 1024.0 > kPeakMb) misses << QStringLiteral("peak memory above %1 MB").arg(kPeakMb);
    std::printf("\ntargets: every cashier action <= %.0f ms and <= %.1fx fresh; day end <= 1 s; start-up <= "
                "%.1fx the "
                "bare window process; peak memory <= %.0f MB; each stock query <= %.0f ms; a stock posting <= "
                "%.0f ms; the reports as their rows say\n",
                kCashierMs, kCashierRatio, kStartRatio, kPeakMb, kQueryMs, kPostingMs);
    if (misses.isEmpty()) std::printf("all met\n");
    for (const QString& m : misses)
        std::printf("  missed: %s\n", m.toUtf8().constData());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // As the programs do: local times read without a look at the time-zone file each time.
    Clock::settleTimeZone();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bool traceSql = false;
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--trace-sql") == 0) traceSql = true;
    YesPrompter prompter;
    yes = &prompter;
    installPrompter(&prompter);
    NoModalHost modal;
    installModalHost(&modal);
    // A printer that takes every document without printing it.
    struct TakingPrinter : PrintOutput {
        bool hasPrinter() override { return true; }
        bool print(const ReportDocument&) override { return true; }
    } printer;
    installPrintOutput(&printer);

    QElapsedTimer wall;
    wall.start();
    const QString binDir = QCoreApplication::applicationDirPath();
    const QString cache = QDir(binDir).absoluteFilePath(QStringLiteral("../bench-cache"));
    QDir().mkpath(cache);
    const QString history = cache + QStringLiteral("/five-years.MDB");
    const QString venue = cache + QStringLiteral("/venue-scale.MDB");
    const QStringList scale = {QStringLiteral("--tables"),       QStringLiteral("200"),
                               QStringLiteral("--items"),        QStringLiteral("5000"),
                               QStringLiteral("--members"),      QStringLiteral("10000"),
                               QStringLiteral("--live-cleared"), QStringLiteral("500"),
                               QStringLiteral("--live-open"),    QStringLiteral("30")};
    if (!cached(binDir, history, {}) || !cached(binDir, venue, scale)) return 1;

    const QString run = cache + QStringLiteral("/run");
    QDir(run).removeRecursively();
    const QString fresh = QStringLiteral("fresh"), freshServer = QStringLiteral("fresh, server");
    databases = {
        {fresh, QStringLiteral("fresh"), run + QStringLiteral("/fresh"), {}, {}},
        {QStringLiteral("5 years"), QStringLiteral("5years"), run + QStringLiteral("/5years"), {}, {}, false, fresh},
        {QStringLiteral("venue scale"), QStringLiteral("venue"), run + QStringLiteral("/venue"), {}, {}, false, fresh}};
    std::vector<QString> sources = {QString(), history, venue};
    // With a server to try (make bench starts one when PostgreSQL's server programs are there),
    // the cashier's actions also run on the fresh and the five-year database copied to it.
    const QString server = qEnvironmentVariable("KESTRIX_BENCH_SERVER");
    if (!server.isEmpty()) {
        databases.push_back({freshServer, QStringLiteral("fresh_pg"), run + QStringLiteral("/fresh_pg"), {}, {}, true,
                             fresh});
        databases.push_back({QStringLiteral("5 years, server"), QStringLiteral("5years_pg"),
                             run + QStringLiteral("/5years_pg"), {}, {}, true, freshServer});
        sources.push_back(QString());
        sources.push_back(history);
    }
    for (size_t i = 0; i < databases.size(); ++i) {
        Database& d = databases[i];
        if (d.server ? !serverFolder(binDir, d.folder, sources[i], server, QStringLiteral("kx_bench_") + d.tag)
                     : !programFolder(binDir, d.folder, sources[i]))
            return 1;
        d.path = d.folder + QStringLiteral("/data/VenueData.MDB");
        prepareForRuns(d.path);
        d.day = businessDay(d.path);
    }
    std::printf("databases ready in %.1f s\n", wall.elapsed() / 1000.0);
    std::fflush(stdout);
    declareRows();

    // Round by round, each database in turn. The order of the phases matters: the front desk
    // programs start on the files as copied; the cashier's visits run on the open day as
    // generated (the venue's 500 cleared visits still there); the day ends come last.
    // The server's databases take the phases marked so: the start-up and the cashier's actions.
    const auto each = [&](const char* phase, int rounds, int iterations, auto body, bool onServer = false) {
        for (int r = 0; r < rounds; ++r)
            for (const Database& d : databases)
                if (onServer || !d.server)
                benchmark::RegisterBenchmark(QStringLiteral("%1/%2/round:%3")
                                                 .arg(QString::fromLatin1(phase), d.tag)
                                                 .arg(r + 1)
                                                 .toStdString()
                                                 .c_str(),
                                             [&d, body](benchmark::State& s) { body(s, d); })
                    ->UseManualTime()
                    ->Iterations(iterations)
                    ->Unit(benchmark::kMillisecond);
    };
    each("startup_process", 7, 1,
         [&binDir](benchmark::State& s, const Database& d) { startUpProcess(s, d, binDir); });
    each("startup_in_process", 3, 3, startUpInProcess, true);
    each("backoffice_startup", 3, 3, backOfficeStartUp);
    each("stock_queries", 3, 5, stockQueries);
    each("stock_posting", 3, 5, stockPosting);
    each("reports", 3, 3, salesReports);
    each("reports_tables_items", 3, 3, tableAndItemReports);
    each("reports_queries", 3, 3, queryReports);
    each("reports_staff", 3, 3, staffReports);
    each("cashier_cycle", 3, 5, cashierCycles, true);
    each("reverse_list", 3, 5, reverseList, true);
    // The day ends fill the open day with cleared visits through the generator, which writes the
    // file's own way: on the files only.
    each("day_end", 5, 1, [](benchmark::State& s, const Database& d) { dayEnd(s, d, false); });
    each("day_end_backup", 3, 1, [](benchmark::State& s, const Database& d) { dayEnd(s, d, true); });
    each("backup_alone", 2, 1, backupAlone);
    // Last: it empties the databases.
    each("initialise", 1, 1, initialise);
    benchmark::RunSpecifiedBenchmarks();
    closeDesk();
    if (traceSql) {
        SqlTrace trace;
        for (const Database& d : databases) {
            if (d.server) continue; // SQLite's own trace
            std::printf("\nwhere the time goes on the %s database (one visit, traced):\n",
                        d.label.toUtf8().constData());
            {
                Desk* made = nullptr;
                const double ms = timed([&] {
                    desk = std::make_unique<Desk>(d);
                    made = desk.get();
                });
                std::printf("  %-36s %8.2f ms (statements not traced: the connection opens inside)\n",
                            "start-up in this process", ms);
                made->logIn();
                deskPath = d.path;
            }
            cashierCycle(d, false); // the first use of each screen
            trace.attach(desk->main->db());
            tracing = &trace;
            const QString error = cashierCycle(d, false);
            trace.begin();
            const double handover = timed([&] { guarded([&] { desk->work->day->showHandover(); }); });
            trace.report(QString::fromUtf8(kHandover), handover);
            tracing = nullptr;
            trace.detach();
            if (!error.isEmpty())
                std::printf("  (the traced visit stopped: %s)\n", error.toUtf8().constData());
            closeDesk();
        }
    }

    printTable();
    for (const Database& d : databases) {
        if (d.tag == QLatin1String("fresh")) continue;
        db::Connection c;
        c.open(d.path);
        const QStringList broken = db::checkDatabase(c.db());
        std::printf("%s database after the runs: %s\n", d.label.toUtf8().constData(),
                    broken.isEmpty() ? "check passed"
                                     : broken.join(QStringLiteral("; ")).toUtf8().constData());
    }
    std::printf("bench run took %.0f s\n", wall.elapsed() / 1000.0);
    benchmark::Shutdown();
    return 0;
}
