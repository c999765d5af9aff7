// The cashier's actions timed on a fresh sample database and on a five-year venue history, by
// the same functions the screens call: start-up to the login panel, opening a table, ordering
// and committing a pad, the bill and its checkout, clearing, back to the board, the day end with
// 500 cleared visits and the handover summary; and, for reference, a bare window that only
// opens the database file.
//
// Runs headless (QT_QPA_PLATFORM=offscreen). Message boxes are answered Yes. The five-year file
// is generated once into <build>/bench-cache and copied for each run.
#include "Binder.h"
#include "Check.h"
#include "Clock.h"
#include "Connection.h"
#include "ErrorGuard.h"
#include "Generator.h"
#include "Prompter.h"
#include "Schema.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "BillScreen.h"
#include "DayOperations.h"
#include "OrderScreen.h"
#include "RegisterScreen.h"
#include "TableBoard.h"
#include "TableMoves.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
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
    QString label; // "fresh" or "5 years"
    QString path;
    QDate day; // its business day
};
std::vector<Database> databases;

// Samples in milliseconds: action -> database label -> samples.
std::map<QString, std::map<QString, std::vector<double>>> samples;
std::vector<QString> actionOrder;
std::map<QString, long> peakKb;

void record(const QString& action, const QString& db, double ms) {
    if (std::find(actionOrder.begin(), actionOrder.end(), action) == actionOrder.end()) actionOrder.push_back(action);
    samples[action][db].push_back(ms);
}

long peakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The real front desk on one file: main window, work form, data module, shown, logged in.
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

Desk& deskOn(const Database& d) {
    if (!desk || deskPath != d.path) {
        desk.reset();
        desk = std::make_unique<Desk>(d);
        desk->logIn();
        deskPath = d.path;
    }
    return *desk;
}

template <class F>
double timed(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

// ---- the benchmarks ---------------------------------------------------------------------

void startUp(benchmark::State& state, const Database& d) {
    for (auto _ : state) {
        desk.reset();
        deskPath.clear();
        std::unique_ptr<Desk> fresh;
        const double ms = timed([&] { fresh = std::make_unique<Desk>(d); });
        if (!fresh->work->pnl_login->isVisible()) state.SkipWithError("the login panel is not shown");
        record(QStringLiteral("start-up to the login panel"), d.label, ms);
        state.SetIterationTime(ms / 1000.0);
        fresh.reset();
    }
}

void bareWindow(benchmark::State& state, const Database& d) {
    for (auto _ : state) {
        desk.reset();
        deskPath.clear();
        std::unique_ptr<QMainWindow> w;
        db::Connection conn;
        const double ms = timed([&] {
            w = std::make_unique<QMainWindow>();
            conn.open(d.path);
            w->show();
        });
        record(QStringLiteral("bare window opening the file"), d.label, ms);
        state.SetIterationTime(ms / 1000.0);
        w.reset();
        conn.close();
    }
}

bool locateTable(Desk& k, const QString& code) {
    db::Dataset& board = *k.dm->adoqry_table;
    board.setFiltered(false);
    return board.locate(QStringLiteral("tabl_code"), code);
}

QString stateOf(Desk& k, const QString& code) {
    return db::scalarText(k.main->db(), QStringLiteral("SELECT tabl_stat_code FROM TableList WHERE tabl_code = ?"), {code});
}

// Twelve single items (one a composite) and two set menus with their six components: 20 lines.
const char* const kPicks[] = {"1001", "1002", "1003", "1004", "1005", "2001", "2002",
                              "3001", "3002", "4001", "4002", "5001", "6001", "6002"};

void cycle(benchmark::State& state, const Database& d) {
    Desk& k = deskOn(d);
    TFormWork& w = *k.work;
    const QString table = QStringLiteral("A02");
    for (auto _ : state) {
        double total = 0;
        const auto step = [&](const char* action, auto&& f) {
            const double ms = timed([&] { guarded(f); });
            record(QString::fromUtf8(action), d.label, ms);
            total += ms;
        };
        if (!locateTable(k, table) || stateOf(k, table) != QLatin1String("1")) {
            state.SkipWithError("table A02 is not free");
            break;
        }
        step("open a table", [&] {
            w.registerScreen->enter();
            w.registerScreen->open();
        });
        if (stateOf(k, table) != QLatin1String("2")) {
            state.SkipWithError(("opening failed: " + yes->last.join(" | ")).toStdString().c_str());
            break;
        }
        step("order screen", [&] { w.orderScreen->open(); });
        for (const char* code : kPicks) {
            db::Dataset& items = *k.dm->adoqry_ConsItem;
            items.setFiltered(false);
            if (items.locate(QStringLiteral("item_code"), QString::fromLatin1(code))) guarded([&] { w.orderScreen->pick(); });
        }
        const qint64 key = k.dm->adoqry_TableGues->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
        const qint64 padLines = db::scalarInt(
            k.main->db(), QStringLiteral("SELECT count(*) FROM TableConsListTemp WHERE tabl_gues_auto_recn = ?"), {key});
        step("commit the pad (20 lines)", [&] { w.orderScreen->commit(); });
        const qint64 committed = db::scalarInt(
            k.main->db(), QStringLiteral("SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {key});
        if (committed < 15) {
            state.SkipWithError(QStringLiteral("only %1 of %2 lines committed: %3")
                                    .arg(committed)
                                    .arg(padLines)
                                    .arg(yes->last.join(QStringLiteral(" | ")))
                                    .toStdString()
                                    .c_str());
            break;
        }
        state.counters["lines"] = double(committed);
        step("back to the board", [&] { w.moves->backToBoard(); });
        locateTable(k, table);
        step("table's work screen", [&] { w.tableBoard->dispatch(); });
        step("enter the bill", [&] { w.bill->enterBill(); });
        guarded([&] {
            w.bill->checkout().chooseMember(QStringLiteral("8800001"), QStringLiteral("123456"));
            db::Dataset& pay = *k.dm->adoqry_PayType;
            if (pay.locate(QStringLiteral("pay_type_code"), QStringLiteral("M"))) {
                pay.edit();
                pay.field(QStringLiteral("pay_type_mone")).setValue(50.0);
                pay.post();
            }
        });
        step("check out (cash and member card)", [&] { w.bill->settle(); });
        if (stateOf(k, table) != QLatin1String("3")) {
            state.SkipWithError(("checkout failed: " + yes->last.join(" | ")).toStdString().c_str());
            break;
        }
        locateTable(k, table);
        guarded([&] { w.tableBoard->dispatch(); });
        step("clear the table", [&] { w.moves->clearTable(); });
        if (stateOf(k, table) != QLatin1String("1")) {
            state.SkipWithError(("clearing failed: " + yes->last.join(" | ")).toStdString().c_str());
            break;
        }
        state.SetIterationTime(total / 1000.0);
    }
}

void dayEnd(benchmark::State& state, const Database& d) {
    Desk& k = deskOn(d);
    int round = 0;
    for (auto _ : state) {
        db::addClearedVisits(k.main->db(), 500, quint64(1000 + round++));
        k.dm->adoqry_TableGues->refresh();
        const double handover = timed([&] { guarded([&] { k.work->day->showHandover(); }); });
        record(QStringLiteral("handover summary (500 visits)"), d.label, handover);
        const double ms = timed([&] { guarded([&] { k.work->day->dayEnd(false); }); });
        record(QStringLiteral("day end (500 cleared visits)"), d.label, ms);
        state.SetIterationTime(ms / 1000.0);
        if (db::scalarInt(k.main->db(), QStringLiteral("SELECT count(*) FROM TableGuestlist WHERE tabl_gues_use = 0")) != 0)
            state.SkipWithError(("day end left cleared visits: " + yes->last.join(" | ")).toStdString().c_str());
        guarded([&] { k.work->day->dayStart(false); });
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
    db::exec(c.db(), QStringLiteral("UPDATE MemberList SET memb_surp = memb_surp + 1000000 WHERE memb_card_code = '8800001'"));
    db::exec(c.db(), QStringLiteral("INSERT INTO membManage (memb_card_code, memb_card_type, memb_mana_save, "
                                    "memb_mana_inte, memb_mana_rema) VALUES ('8800001', '储值卡', 1000000, 0, 'bench')"));
}

void removeDb(const QString& path) {
    for (const char* s : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(s));
}

void printTable() {
    const QString fresh = databases[0].label, old = databases.size() > 1 ? databases[1].label : QString();
    const auto median = [](std::vector<double> v) {
        if (v.empty()) return -1.0;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    };
    std::printf("\n%-36s %12s %12s %8s\n", "action (median, ms)", fresh.toUtf8().constData(), old.toUtf8().constData(),
                "ratio");
    for (const QString& a : actionOrder) {
        const double f = median(samples[a][fresh]);
        const double o = old.isEmpty() ? -1 : median(samples[a][old]);
        std::printf("%-36s %12.2f %12.2f %8.2f\n", a.toUtf8().constData(), f, o, f > 0 && o >= 0 ? o / f : 0.0);
    }
    std::printf("\npeak memory (max RSS): after the fresh database %.1f MB, after the five-year database %.1f MB\n",
                peakKb["fresh"] / 1024.0, peakKb["end"] / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    YesPrompter prompter;
    yes = &prompter;
    installPrompter(&prompter);
    NoModalHost modal;
    installModalHost(&modal);

    const QString cache = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bench-cache"));
    QDir().mkpath(cache + QStringLiteral("/run"));
    const QString history = cache + QStringLiteral("/five-years.MDB");
    if (!QFile::exists(history)) {
        std::printf("generating the five-year venue into %s ...\n", history.toUtf8().constData());
        std::fflush(stdout);
        QElapsedTimer t;
        t.start();
        db::GenerateOptions o;
        o.today = QDate::currentDate();
        try {
            db::Connection c;
            c.open(history + QStringLiteral(".part"));
            db::prepareDatabase(c.db(), true, o.today.addYears(-o.years));
            db::generateHistory(c.db(), o);
            db::exec(c.db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
            db::run(c.db(), QStringLiteral("ANALYZE"));
        } catch (const DbError& e) {
            std::fprintf(stderr, "generating failed: %s\n", e.message().toUtf8().constData());
            return 1;
        }
        removeDb(history + QStringLiteral(".part-wal"));
        QFile::rename(history + QStringLiteral(".part"), history);
        std::printf("generated in %.1f s\n", t.elapsed() / 1000.0);
    }

    {
        // A cache written by an older version is brought up to date once, here.
        db::Connection c;
        c.open(history);
        db::prepareDatabase(c.db(), true);
    }
    const QString freshPath = cache + QStringLiteral("/run/fresh.MDB");
    const QString oldPath = cache + QStringLiteral("/run/five-years.MDB");
    removeDb(freshPath);
    removeDb(oldPath);
    {
        db::Connection c;
        c.open(freshPath);
        db::prepareDatabase(c.db(), true, QDate::currentDate());
    }
    if (!QFile::copy(history, oldPath)) {
        std::fprintf(stderr, "cannot copy %s\n", history.toUtf8().constData());
        return 1;
    }
    for (const QString& p : {freshPath, oldPath})
        prepareForRuns(p);
    databases = {{QStringLiteral("fresh"), freshPath, businessDay(freshPath)},
                 {QStringLiteral("5 years"), oldPath, businessDay(oldPath)}};

    for (const Database& d : databases) {
        const std::string tag = d.label == QLatin1String("fresh") ? "fresh" : "5years";
        benchmark::RegisterBenchmark(("startup/" + tag).c_str(), [&d](benchmark::State& s) { startUp(s, d); })
            ->UseManualTime()->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("bare_window/" + tag).c_str(), [&d](benchmark::State& s) { bareWindow(s, d); })
            ->UseManualTime()->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("cashier_cycle/" + tag).c_str(), [&d](benchmark::State& s) { cycle(s, d); })
            ->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("day_end/" + tag).c_str(), [&d](benchmark::State& s) {
            dayEnd(s, d);
            if (d.label == QLatin1String("fresh")) peakKb["fresh"] = peakRssKb();
        })->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    desk.reset();
    peakKb["end"] = peakRssKb();
    if (!peakKb.count("fresh")) peakKb["fresh"] = peakKb["end"];
    printTable();
    const QStringList broken = [&] {
        db::Connection c;
        c.open(oldPath);
        return db::checkDatabase(c.db());
    }();
    std::printf("five-year database after the runs: %s\n",
                broken.isEmpty() ? "check passed" : broken.join(QStringLiteral("; ")).toUtf8().constData());
    benchmark::Shutdown();
    return 0;
}
