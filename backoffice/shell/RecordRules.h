#pragma once
// The rules of a maintenance table, declared once on its dataset and installed into its hooks,
// so that every way of posting or deleting passes them: the toolbar, a tree click, closing the
// program, a master's scroll.
#include "Dataset.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace kx::backoffice {

using db::Dataset;

// Whether `table` holds a row whose `field` is `value` (a bound query, asked when needed).
bool RecordSearch(QSqlDatabase db, const QString& table, const QString& field, const QVariant& value);

// A use of the row's code that refuses deleting the row, and changing the code of a saved row.
struct CodeInUse {
    // A count query whose every "?" stands for the code; a count above 0 means in use.
    QString countSql;
    QString deleteMessage; // empty: the row may be deleted while in use
    QString changeMessage; // empty: the code may change while in use
};

struct RecordRules {
    QString codeField;                      // stored trimmed; preset and in-use rules look at it
    QString nameField;                      // the name preset messages show
    QStringList required;                   // a value of blanks only counts as empty
    QString requiredMessage;                // "大类[编码]、[名称]不能为空！"
    QString remarkField;                    // set to one blank on a new row
    std::function<void(Dataset&)> defaults; // further values of a new row (a parent's code, …)
    std::vector<CodeInUse> uses;
    QStringList presetCodes; // "[" + name + "]为系统预设项目，所以不能被删除！" / "…修改！"
    bool presetsFirst = true;                  // a preset row's message before its uses' (else after)
    std::function<void(Dataset&)> check;       // any other check before a post: message, then SilentAbort
    std::function<void(Dataset&)> deleteCheck; // any other check before a delete
    // The rows elsewhere that belong to the row's code: carried to its new code, or deleted
    // with the row (`newCode` empty), inside the write's transaction once the checks passed.
    std::function<void(Dataset&, const QString& oldCode, const QString& newCode)> carry;
    // The rows that come with a new row, written in its transaction once its checks passed (a
    // row the database then refuses leaves none of them).
    std::function<void(Dataset&)> create;
};

// The rules most lists start from: a code and a name, both required with the table's
// `requiredMessage`, and the one-blank remark column (if any).
RecordRules codeAndNameRules(const QString& codeField, const QString& nameField,
                             const QString& requiredMessage, const QString& remarkField = QString());

// The message of a preset row.
QString presetMessage(const QString& name, bool deleting);
// The refusal of a post or delete: the message, then the silent stop.
[[noreturn]] void refuse(const QString& message);

// Installs the rules into the dataset's hooks. A duplicate key refused by the database shows
// "编号有重复，请从新输入！" and keeps the row; any other refusal reaches the error handler.
void installRules(Dataset& ds, const RecordRules& rules);

// Whether the row posts: its before-post rules run and refuse with their message.
void validate(Dataset& ds);

// A master and its child list: the master's scroll filters the child to the master's code
// (`childField` = the master's `masterField`); the master cannot move off a child row that is
// being typed and does not pass its rules; a child row posted as the first row filters the
// child again.
void linkChild(Dataset& master, const QString& masterField, Dataset& child, const QString& childField);

} // namespace kx::backoffice
