#include "Permission.h"

#include "Clock.h"
#include "Prompter.h"
#include "Sql.h"

namespace kx {

const QString NoPermissionText = QStringLiteral("你没有操作此项功能的权限，请与系统管理员联系！");

namespace {
const QString kAskPermission =
    QStringLiteral("select limi_real from Limitedlist where limi_code=? and mana_code=?");
}

bool hasPermission(QSqlDatabase db, const QString& manaCode, const QString& code) {
    return db::scalarBool(db, kAskPermission, {code, manaCode});
}

bool Limite(db::Dataset& scratch, const QString& manaCode, const QString& code, ProgramKind kind) {
    scratch.setSql(kAskPermission, {code, manaCode});
    scratch.open();
    const bool granted = !scratch.isEmpty() && scratch.field(0).asBool();
    if (granted) return true;
    prompter().information(kind == ProgramKind::FrontDesk ? code + NoPermissionText : NoPermissionText);
    return false;
}

void LogSet(QSqlDatabase db, const QString& operatorName, const QString& text) {
    db::exec(db, QStringLiteral("insert into systemlog(log_oper_name,log_time,log_oper) values(?,?,?)"),
             {operatorName, Clock::now(), text});
}

} // namespace kx
