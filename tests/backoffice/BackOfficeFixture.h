#pragma once
// The back office started on a new database in a temporary folder, shown, its clock frozen,
// every message box and dialog scripted.
#include "TestDb.h"
#include "TestServer.h"
#include "BackOffice.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "ScriptedPrompter.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace kx::test {

class BackOfficeTest : public ::testing::Test {
  protected:
    static QDateTime startTime() { return QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)); }

    void SetUp() override {
        Clock::freeze(startTime());
        path = dir.path() + QStringLiteral("/data/VenueData.MDB");
        start();
    }
    void TearDown() override {
        stop();
        Clock::unfreeze();
    }
    // The program as its entry builds it.
    void start() {
        parts = std::make_unique<backoffice::BackOfficeParts>(path);
        main = parts->main.get();
        child = parts->child.get();
        manage = parts->manage.get();
        setup = parts->setup.get();
        main->show();
        QApplication::setActiveWindow(main);
        QApplication::processEvents();
    }
    void stop() {
        if (!parts) return;
        main->ExitMode = 2;
        main->close();
        QApplication::processEvents();
        parts.reset();
        main = nullptr;
        ErrorGuard::configure(ProgramKind::BackOffice, {});
    }

    QSqlDatabase db() const { return main->db(); }

    // Types operator and password into the login panel and presses Enter in the password.
    void logIn(const QString& oper = QStringLiteral("01"), const QString& pass = QStringLiteral("admin")) {
        main->editoper->clear();
        main->editpass->clear();
        QTest::keyClicks(main->editoper, oper);
        QTest::keyClicks(main->editpass, pass);
        QTest::keyClick(main->editpass, Qt::Key_Return);
        QApplication::processEvents();
    }
    QStringList logTexts() const {
        QStringList out;
        QSqlQuery q = db::run(db(), QStringLiteral("select log_oper from systemlog order by rec_ID"));
        while (q.next())
            out << q.value(0).toString();
        return out;
    }

    ScriptedPrompter prompter;
    ScriptedModalHost dialogs;
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<backoffice::BackOfficeParts> parts;
    backoffice::TFormSMain* main = nullptr;
    backoffice::TFormChild* child = nullptr;
    backoffice::TDMManage* manage = nullptr;
    backoffice::TDMSetup* setup = nullptr;
};

} // namespace kx::test
