#include "RecordRules.h"

#include "Engine.h"
#include "ErrorGuard.h"
#include "Prompter.h"
#include "Sql.h"

namespace kx::backoffice {

bool RecordSearch(QSqlDatabase db, const QString& table, const QString& field, const QVariant& value) {
    return db::scalarInt(db, QStringLiteral("SELECT count(*) FROM \"%1\" WHERE \"%2\" = ?").arg(table, field),
                         {value}) > 0;
}

RecordRules codeAndNameRules(const QString& codeField, const QString& nameField,
                             const QString& requiredMessage, const QString& remarkField) {
    RecordRules r;
    r.codeField = codeField;
    r.nameField = nameField;
    r.required = {codeField, nameField};
    r.requiredMessage = requiredMessage;
    r.remarkField = remarkField;
    return r;
}

QString presetMessage(const QString& name, bool deleting) {
    return QStringLiteral("[") + name + QStringLiteral("]为系统预设项目，所以不能被") +
           (deleting ? QStringLiteral("删除！") : QStringLiteral("修改！"));
}

void refuse(const QString& message) {
    prompter().information(message);
    throw SilentAbort();
}

namespace {

// Set while validate() runs the before-post rules without a write: nothing is carried then.
bool validating = false;

bool inUse(const Dataset& ds, const CodeInUse& use, const QVariant& code) {
    // Every "?" of the query stands for the code.
    QVariantList params;
    for (int i = 0; i < int(use.countSql.count(QLatin1Char('?'))); ++i)
        params << code;
    return db::scalarInt(ds.database(), use.countSql, params) > 0;
}

} // namespace

void installRules(Dataset& ds, const RecordRules& r) {
    ds.checksInTransaction = true;
    ds.afterInsert = [r](Dataset& d) {
        if (!r.remarkField.isEmpty()) d.field(r.remarkField).setValue(QStringLiteral(" "));
        if (r.defaults) r.defaults(d);
    };
    ds.beforePost = [r](Dataset& d) {
        if (!r.codeField.isEmpty()) {
            // Codes are stored as typed, without the blanks around them.
            const QString code = d.field(r.codeField).asString();
            if (code != code.trimmed()) d.field(r.codeField).setValue(code.trimmed());
        }
        for (const QString& f : r.required)
            if (d.field(f).asString().trimmed().isEmpty()) refuse(r.requiredMessage);
        if (!r.codeField.isEmpty() && d.state() == Dataset::Edit) {
            const QVariant was = d.field(r.codeField).oldValue();
            const QString old = was.toString();
            if (old != d.field(r.codeField).asString()) {
                auto preset = [&] {
                    if (r.presetCodes.contains(old))
                        refuse(presetMessage(r.nameField.isEmpty() ? old : d.field(r.nameField).asString(),
                                             false));
                };
                if (r.presetsFirst) preset();
                for (const CodeInUse& use : r.uses)
                    if (!use.changeMessage.isEmpty() && inUse(d, use, old)) refuse(use.changeMessage);
                if (!r.presetsFirst) preset();
            }
        }
        if (r.check) r.check(d);
        if (r.create && !validating && d.state() == Dataset::Insert) r.create(d);
        if (r.carry && !validating && !r.codeField.isEmpty() && d.state() == Dataset::Edit) {
            const QString old = d.field(r.codeField).oldValue().toString();
            if (old != d.field(r.codeField).asString()) r.carry(d, old, d.field(r.codeField).asString());
        }
    };
    ds.beforeDelete = [r](Dataset& d) {
        const QString code = r.codeField.isEmpty() ? QString() : d.field(r.codeField).asString();
        auto preset = [&] {
            if (r.presetCodes.contains(code))
                refuse(presetMessage(r.nameField.isEmpty() ? code : d.field(r.nameField).asString(), true));
        };
        if (r.presetsFirst) preset();
        for (const CodeInUse& use : r.uses)
            if (!use.deleteMessage.isEmpty() && inUse(d, use, code)) refuse(use.deleteMessage);
        if (!r.presetsFirst) preset();
        if (r.deleteCheck) r.deleteCheck(d);
        if (r.carry) r.carry(d, code, QString());
    };
    ds.onPostError = [](Dataset&, const DbError& e) {
        // Only a refused unique key is a duplicate; anything else is an error of its own.
        if (!db::isDuplicateKey(e)) return Dataset::PostErrorAction::Fail;
        prompter().information(QStringLiteral("编号有重复，请从新输入！"));
        return Dataset::PostErrorAction::Abort;
    };
}

void validate(Dataset& ds) {
    if (!ds.beforePost) return;
    struct Checking {
        bool was = validating;
        Checking() { validating = true; }
        ~Checking() { validating = was; }
    } checking;
    // What is typed but not handed over yet counts.
    ds.updateRecord();
    ds.beforePost(ds);
}

void linkChild(Dataset& master, const QString& masterField, Dataset& child, const QString& childField) {
    auto filterChild = [&master, &child, masterField, childField] {
        if (!master.active() || !child.active()) return;
        QString code = master.isEmpty() ? QString() : master.field(masterField).asString();
        child.applyFilter(childField + QStringLiteral("='") +
                          code.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''));
    };
    auto scrolled = master.afterScroll;
    master.afterScroll = [scrolled, filterChild](Dataset& d) {
        if (scrolled) scrolled(d);
        filterChild();
    };
    auto leaving = master.beforeScroll;
    master.beforeScroll = [leaving, &child](Dataset& d) {
        if (child.state() == Dataset::Insert || child.state() == Dataset::Edit) validate(child);
        if (leaving) leaving(d);
    };
    auto posted = child.afterPost;
    child.afterPost = [posted, filterChild](Dataset& d) {
        if (posted) posted(d);
        if (d.recNo() <= 1) filterChild();
    };
}

} // namespace kx::backoffice
