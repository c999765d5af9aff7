#pragma once
// The maintenance screens of the system tree that act on the database as a whole: the backup
// ("数据备份"), the restore ("数据恢复"), the clearing of chosen data ("数据清理") and the
// initialisation of the working data ("系统初始"), each unlocked by the venue's own system
// management password; backup, restore and clearing close the back office when done, so that it
// starts again on the database as it is. And the log viewer ("日志查询").
#include <QSqlDatabase>
#include <QString>

namespace kx::backoffice {

class TDMManage;
class TDMSetup;
class TFormChild;
class TFormSMain;

// The check before every maintenance operation: the trimmed text against the venue's system
// management password. "请输入管理密码！" when nothing is typed, "输入的管理密码错误，请修改！" when
// it is wrong; true when it is right.
bool maintenancePasswordPasses(QSqlDatabase db, const QString& typed);

void buildMaintenanceScreens(TFormSMain& main, TFormChild& child, TDMManage& manage, TDMSetup& setup);

} // namespace kx::backoffice
