#pragma once
// The back office started on a new database in a temporary folder, shown, its clock frozen,
// every message box and dialog scripted.
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
        main = std::make_unique<backoffice::TFormSMain>(path);
        child = std::make_unique<backoffice::TFormChild>(main.get());
        manage = std::make_unique<backoffice::TDMManage>(main->db());
        setup = std::make_unique<backoffice::TDMSetup>(main->db());
        child->attach(setup.get());
        main->attach(child.get(), manage.get(), setup.get());
        main->show();
        QApplication::setActiveWindow(main.get());
        QApplication::processEvents();
    }
    void stop() {
        if (!main) return;
        main->ExitMode = 2;
        main->close();
        QApplication::processEvents();
        // The holder's query goes before the connection closes with the main window.
        setup.reset();
        manage.reset();
        child.reset();
        main.reset();
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
        QSqlQuery q = db::run(db(), QStringLiteral("select log_oper from systemlog order by rowid"));
        while (q.next()) out << q.value(0).toString();
        return out;
    }

    ScriptedPrompter prompter;
    ScriptedModalHost dialogs;
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<backoffice::TFormSMain> main;
    std::unique_ptr<backoffice::TFormChild> child;
    std::unique_ptr<backoffice::TDMManage> manage;
    std::unique_ptr<backoffice::TDMSetup> setup;
};

} // namespace kx::test
