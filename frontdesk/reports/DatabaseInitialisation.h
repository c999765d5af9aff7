#pragma once
// "初始化数据库" of the reports menu (N15): every visit, order line, payment, archive, booking,
// stock bill and card transaction removed and every table freed, for starting over. The
// catalogue, the tables, the staff, the members with their balances, the credit accounts, the
// pay types, the settings and the visit counter stay.
//
// It destroys the venue's history, so it is guarded as the back office guards its own: the
// venue's system management password in a small masked dialog, then the question. A checked
// copy "back/VenueData-init-<yyyyMMdd-HHmmss>.bak" is written first (the day end's rotation never
// counts it); a copy that cannot be written is told with its reason and nothing is removed.
// The removal is db::initialiseData, the one the back office runs: one transaction, so a
// failure rolls everything back and reaches the program-wide error handler. Afterwards the log
// line, the notice naming the copy, and the board read again.
#include <QSqlDatabase>
#include <QString>

class QWidget;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

// The masked dialog "请输入系统管理密码：" (dlg_SystemPassword, its edit edt_SystemPassword),
// the text typed checked against the venue's system management password. False when the
// dialog is left or the password is wrong ("密码不正确，请重新输入后确认！").
bool systemPasswordGiven(QWidget* parent, QSqlDatabase db);

// N15Click.
void initialiseDatabase(TFormWMain& main, TFormWork& work, TDMTable& dm);

} // namespace kx::frontdesk
