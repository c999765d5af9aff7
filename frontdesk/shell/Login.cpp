#include "Login.h"

#include "Clock.h"
#include "Password.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace kx::frontdesk {

Login::Login(TFormWMain* main, TFormWork* work, TDMTable* dm) : QObject(work), main_(main), work_(work), dm_(dm) {}

bool Login::findOperator(const QString& code, const QString& password) {
    Dataset* ops = dm_->adoqry_Operator;
    ops->checkBrowseMode();
    if (!ops->locate(QStringLiteral("oper_code"), code)) return false;
    return verifyPassword(password, ops->field(QStringLiteral("oper_pass")).asString());
}

void Login::logIn() {
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->field(QStringLiteral("orde_code")).asString().isEmpty()) {
        prompter().information(QStringLiteral("请选择[班次]！"));
        work_->dbl_order->setFocus();
        throw SilentAbort();
    }
    if (!findOperator(work_->editoper->text().trimmed(), work_->editpass->text().trimmed())) {
        prompter().information(QStringLiteral("你输入的员工或密码不存在，请重新输入！"));
        work_->editoper->setFocus();
        throw SilentAbort();
    }
    dm_->openWorkingData();
    Dataset* ops = dm_->adoqry_Operator;
    const QString operCode = ops->field(QStringLiteral("oper_code")).asString();
    const QString operName = ops->field(QStringLiteral("oper_name")).asString();
    const QString manaCode = ops->field(QStringLiteral("mana_code")).asString();

    // The automatic day roll of venues that do not trade across midnight.
    if (dm_->setup.flag(QStringLiteral("work_auto")) &&
        dm_->setup.date(QStringLiteral("time_end")) != Clock::today()) {
        if (main_->autoDayEnd) main_->autoDayEnd();
        if (main_->autoDayStart) main_->autoDayStart();
    }

    work_->unlockBoard();
    const QString userName = dm_->setup.text(QStringLiteral("user_name"));
    main_->statusPanel[2]->setText(QStringLiteral("【操作员：") + operName + QStringLiteral("】"));
    main_->statusPanel[1]->setText(QStringLiteral("【用户：") + userName + QStringLiteral("】"));

    if (setup->state() == Dataset::Browse) setup->edit();
    setup->field(QStringLiteral("oper_code")).setValue(operCode);
    setup->field(QStringLiteral("mana_code")).setValue(manaCode);
    setup->field(QStringLiteral("time_star")).setValue(Clock::now());
    setup->post();

    for (const char* name : {"qrl_usersend", "qrl_userdish", "qrl_userbuy", "qrl_userroom", "qrl_userd", "qrl_useracc",
                             "qrl_usertota", "qrl_userbill", "qrl_userdsum", "qrl_userdtota", "qrl_userbills"})
        main_->reportCaptions.insert(QString::fromLatin1(name), QStringLiteral("【") + userName + QStringLiteral("】"));
    main_->reportCaptions.insert(QStringLiteral("qrl_usernames"), dm_->setup.text(QStringLiteral("user_name_s")));
    main_->reportCaptions.insert(QStringLiteral("qrl_usernamee"), dm_->setup.text(QStringLiteral("user_name_e")));
    main_->reportCaptions.insert(QStringLiteral("qrl_userinfo"),
                                 userName + QStringLiteral(" 电话：") + dm_->setup.text(QStringLiteral("user_tele")));

    main_->LoggedIn = true;
    const QString shift = dm_->setup.text(QStringLiteral("ordename"));
    main_->LogSet(QStringLiteral("[") + shift + QStringLiteral("][登录系统]"));
    work_->lbl_order->setText(shift);
    work_->lbl_worktime->setText(dm_->setup.text(QStringLiteral("time_work")));
    // The cashier goes on at the board: a table code typed or numeric-pad + on the current table.
    work_->EditDict_TableState->setFocus();
}

void Login::openPasswordPanel() {
    // Here the edits count as typed, blanks included.
    if (!findOperator(work_->editoper->text(), work_->editpass->text())) {
        prompter().information(QStringLiteral("请首先输入的员工或密码确认身份，再进行密码修改！"));
        throw SilentAbort();
    }
    work_->pnl_modify->move(212, 125);
    work_->pnl_modify->show();
    work_->pnl_modify->raise();
    work_->editoper1->setFocus();
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->state() == Dataset::Browse) setup->edit();
    setup->field(QStringLiteral("oper_code")).setValue(dm_->adoqry_Operator->field(QStringLiteral("oper_code")).value());
    setup->post();
}

void Login::changePassword() {
    const QString fresh = work_->editpassn->text().trimmed();
    const QString again = work_->editpassnr->text().trimmed();
    if (!findOperator(work_->editoper1->text().trimmed(), work_->editpass1->text().trimmed()) || fresh.isEmpty() ||
        again.isEmpty() || fresh != again) {
        prompter().information(QStringLiteral("你输入的员工或密码不存在或者更新密码为空，请重新输入！"));
        throw SilentAbort();
    }
    Dataset* ops = dm_->adoqry_Operator;
    ops->edit();
    ops->field(QStringLiteral("oper_pass")).setValue(hashPassword(fresh));
    ops->post();
    main_->LogSet(QStringLiteral("[") + ops->field(QStringLiteral("oper_name")).asString() + QStringLiteral("][密码修改]"));
    work_->pnl_modify->hide();
}

void Login::logOut() {
    work_->lockBoard();
    work_->editoper->clear();
    work_->editpass->clear();
    main_->LogSet(QStringLiteral("[") + dm_->setup.text(QStringLiteral("ordename")) + QStringLiteral("][退出系统,重新登录]"));
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->state() == Dataset::Browse) setup->edit();
    setup->field(QStringLiteral("orde_code")).clear();
}

} // namespace kx::frontdesk
