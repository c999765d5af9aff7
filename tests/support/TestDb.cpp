#include "TestDb.h"

#include "Errors.h"
#include "Schema.h"

#include "Engine.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kx::test {

QString joinedRows(QSqlDatabase db, const QString& sql, const QString& cellSeparator, const QString& rowSeparator) {
    QSqlQuery q = kx::db::run(db, sql);
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < q.record().count(); ++c) {
            const QVariant v = q.value(c);
            if (v.isNull())
                cells << QString();
            else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
                cells << QString::number(v.toDouble(), 'g', 15);
            else
                cells << v.toString();
        }
        rows << cells.join(cellSeparator);
    }
    return rows.join(rowSeparator);
}

void createRefusingTrigger(QSqlDatabase db, const QString& statement) {
    if (!kx::db::isServer(db)) {
        kx::db::exec(db, statement);
        return;
    }
    static const QRegularExpression form(
        QStringLiteral("^\\s*create\\s+trigger\\s+(\\w+)\\s+(before|after)\\s+(insert|update|delete)(\\s+of\\s+\\w+)?\\s+"
                       "on\\s+(\\w+)(?:\\s+when\\s+(.*?))?\\s+begin\\s+select\\s+raise\\s*\\(\\s*abort\\s*,\\s*'([^']*)'\\s*\\)\\s*;"
                       "\\s*end\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = form.match(statement);
    if (!m.hasMatch()) throw kx::DbError(QStringLiteral("not a refusing trigger: ") + statement);
    const QString name = m.captured(1);
    kx::db::exec(db, QStringLiteral("CREATE OR REPLACE FUNCTION %1_fn() RETURNS trigger LANGUAGE plpgsql AS "
                                    "$kx$ BEGIN RAISE EXCEPTION '%2'; END $kx$")
                         .arg(name, m.captured(7)));
    const QString when = m.captured(6).isEmpty() ? QString() : QStringLiteral(" WHEN (%1)").arg(m.captured(6));
    kx::db::exec(db, QStringLiteral("CREATE TRIGGER %1 %2 %3%4 ON %5 FOR EACH ROW%6 EXECUTE FUNCTION %1_fn()")
                         .arg(name, m.captured(2), m.captured(3), m.captured(4), m.captured(5), when));
}

TempDatabase::TempDatabase(const QString& folder) : folder_(folder) {
    conn_.open(kx::db::databasePath(programDir()));
}

void TempDatabase::run(const QStringList& statements) {
    // A table of the fixture's own, declared as the schema declares ours, in the engine's form.
    for (const QString& s : statements)
        if (s.trimmed().startsWith(QLatin1String("create trigger"), Qt::CaseInsensitive))
            createRefusingTrigger(db(), s);
        else
            kx::db::exec(db(), s.trimmed().startsWith(QLatin1String("create table"), Qt::CaseInsensitive)
                                   ? kx::db::tableDdl(db(), s)
                                   : s);
}

} // namespace kx::test
