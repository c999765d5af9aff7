#pragma once
// The maintenance screens of the system tree that act on the database as a whole: the backup
// ("数据备份") and the restore ("数据恢复"). Both are unlocked by the venue's own system management
// password and, done, close the back office so that it starts again on the database as it is.
#include <QSqlDatabase>
#include <QString>

namespace kx::backoffice {

class TFormChild;
class TFormSMain;

// The check before every maintenance operation: the trimmed text against the venue's system
// management password. "请输入管理密码！" when nothing is typed, "输入的管理密码错误，请修改！" when
// it is wrong; true when it is right.
bool maintenancePasswordPasses(QSqlDatabase db, const QString& typed);

void buildMaintenanceScreens(TFormSMain& main, TFormChild& child);

} // namespace kx::backoffice
