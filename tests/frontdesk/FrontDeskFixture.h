#pragma once
// The real front desk on a fresh database with the sample venue: main window, work form and
// data module as the program builds them, with a frozen clock and scripted message boxes.
#include "TestDb.h"
#include "TestServer.h"
#include "Binder.h"
#include "Clock.h"
#include "Values.h"
#include "ErrorGuard.h"
#include "ScriptedPrompter.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace kx::test {

class FrontDeskTest : public ::testing::Test {
protected:
    // The moment the fixture's clock stands at.
    static QDateTime startTime() { return QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)); }

    void SetUp() override {
        Clock::freeze(startTime());
        path = dir.path() + QStringLiteral("/data/VenueData.MDB");
        main = std::make_unique<frontdesk::TFormWMain>(path);
        work = std::make_unique<frontdesk::TFormWork>(main.get());
        dm = std::make_unique<frontdesk::TDMTable>(main->db());
        main->attach(work.get(), dm.get());
        work->attach(dm.get());
        main->show();
        QApplication::setActiveWindow(main.get());
        QApplication::processEvents();
    }

    void TearDown() override {
        main->SilentExit = true;
        main->close();
        QApplication::processEvents();
        work.reset();
        dm.reset();
        main.reset();
        ErrorGuard::configure(ProgramKind::FrontDesk, {});
        Clock::unfreeze();
    }

    QSqlDatabase db() const { return main->db(); }

    // Chooses the shift in the login panel's look-up box as a cashier would.
    void chooseShift(int index) {
        work->dbl_order->setCurrentIndex(index);
        emit work->dbl_order->activated(index);
    }

    // Types operator and password and presses "确定".
    void logIn(const QString& oper = QStringLiteral("01"), const QString& pass = QStringLiteral("admin"),
               int shift = 0) {
        if (shift >= 0) chooseShift(shift);
        work->editoper->clear();
        work->editpass->clear();
        QTest::keyClicks(work->editoper, oper);
        QTest::keyClicks(work->editpass, pass);
        QTest::mouseClick(work->SpeedButton5, Qt::LeftButton);
    }

    // The table current on the board, its visit current, its lines in adoqry_TableCons: what a
    // double click on an occupied table leaves behind.
    void showVisit(const QString& table, qint64 key) {
        dm->adoqry_table->setFiltered(false);
        dm->adoqry_table->refresh();
        ASSERT_TRUE(dm->adoqry_table->locate(QStringLiteral("tabl_code"), table));
        dm->adoqry_TableGues->refresh();
        ASSERT_TRUE(dm->adoqry_TableGues->locate(QStringLiteral("tabl_gues_auto_recn"), key));
        dm->adoqry_TableCons->setSql(
            QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {key});
        dm->adoqry_TableCons->open();
    }

    // A visit key set up by hand is a key the venue has given out: the counter moves past it.
    void keyGivenOut(qint64 key) {
        db::exec(db(),
                 QStringLiteral("UPDATE SetupPay SET auto_recn = CASE WHEN COALESCE(auto_recn, 1) > ? THEN "
                                "COALESCE(auto_recn, 1) ELSE ? END"),
                 {key + 1, key + 1});
    }

    QStringList logTexts() const {
        QStringList out;
        QSqlQuery q = db::run(db(), QStringLiteral("select log_oper from systemlog order by rec_ID"));
        while (q.next()) out << q.value(0).toString();
        return out;
    }

    ScriptedPrompter prompter;
    ScriptedModalHost dialogs; // no test ever waits on a real dialog
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<frontdesk::TFormWMain> main;
    std::unique_ptr<frontdesk::TFormWork> work;
    std::unique_ptr<frontdesk::TDMTable> dm;
};

} // namespace kx::test
