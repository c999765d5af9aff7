#pragma once
// The kitchen list of a visit ("后厨"): its committed lines not yet sent to the kitchen, printed
// as a kitchen ticket; once the ticket is out, the visit's lines are marked as sent.
#include "ReportDocument.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace kx::db {
class Dataset;
}

namespace kx::frontdesk {

class TDMTable;

// Opens `list` (AuxQuery1) on the visit's lines not yet sent whose class the kitchen produces
// (production point "2"), without set menus and zero quantities, with signed quantities:
// item_unit, item_name, tabl_cons_coun, cons_narr_code, cons_narr_name.
void openKitchenList(db::Dataset& list, qint64 visitKey);

// The kitchen ticket over the open list: title, table code and name, one line per row (name,
// narrative, quantity and unit), the time it was made.
ReportDocument kitchenTicket(db::Dataset& list, const QString& tableCode, const QString& tableName,
                             const QDateTime& madeAt);

// Marks the visit's lines up to `lastLineId` as sent and re-points the committed lines at the visit.
void markSentToKitchen(TDMTable& dm, qint64 visitKey, qint64 lastLineId);

// "后厨": builds the kitchen list of the current visit and table, shows the ticket in the print
// preview and, once it has been printed or saved, marks the visit's lines as sent. True when
// the ticket went out.
bool printKitchenList(TDMTable& dm, db::Dataset& list);

} // namespace kx::frontdesk
