#pragma once
// The item list as a spreadsheet file: every item exported as CSV, and a file of that form
// imported, all or nothing, through the same rules as the item screen.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QWidget;

namespace kx::backoffice {

class TDMSetup;

// The columns of the file, in the order they are written.
QStringList itemFileCaptions();

// Writes every item, by class and code, to `path`; returns the number written, or -1 when the
// file cannot be written.
int exportItems(QSqlDatabase db, const QString& path);

struct ItemImport {
    bool wrongFormat = false; // not a CSV with the captions of the export
    QStringList problems;     // "第n行：…", in file order; nothing stored when any
    int added = 0;
    int changed = 0;
};

// Reads the file (UTF-8, with or without its byte-order mark, or GB18030 as a Chinese
// spreadsheet saves it), checks every line, and only when all pass stores them in one
// transaction: new codes become items, existing ones take the file's name, short code, unit,
// prices and open price; then the set menus and composites are worked out again.
ItemImport importItems(QSqlDatabase db, const QString& path);

// "导出" and "导入" under the item screen's side lists.
void addItemTransferButtons(QWidget* itemScreen, TDMSetup& setup);

} // namespace kx::backoffice
