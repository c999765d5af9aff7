#pragma once
// The kitchen list of a visit ("后厨"): its committed lines not yet sent to the kitchen, printed
// as a kitchen ticket; once the ticket is out, the visit's lines are marked as sent. On a
// receipt kitchen printer the ticket goes straight to it, without a preview; with the kitchen
// option (pay_set_auto_manu) every commit sends the ticket of the lines it committed.
#include "Receipt.h"
#include "ReportDocument.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <limits>
#include <vector>

namespace kx::db {
class Dataset;
}

namespace kx::frontdesk {

class TDMTable;

inline constexpr qint64 kNoLineLimit = std::numeric_limits<qint64>::max();

// Opens `list` (AuxQuery1) on the visit's lines not yet sent whose class the kitchen produces
// (production point "2"), without set menus and zero quantities, with signed quantities:
// item_unit, item_name, tabl_cons_coun, cons_narr_code, cons_narr_name. Only lines after
// `afterLineId` up to `lastLineId` (tabl_cons_ID) are taken.
void openKitchenList(db::Dataset& list, qint64 visitKey, qint64 afterLineId = 0, qint64 lastLineId = kNoLineLimit);

// One line of the kitchen ticket: the narrative as the kitchen reads it (its name, or the code
// when it has none) and the signed quantity.
struct KitchenLine {
    QString name;
    QString narrative;
    double quantity = 0;
    QString unit;
};
std::vector<KitchenLine> kitchenLines(db::Dataset& list);

// The kitchen ticket over the open list: title, table code and name, one line per row (name,
// narrative, quantity and unit), the time it was made.
ReportDocument kitchenTicket(db::Dataset& list, const QString& tableCode, const QString& tableName,
                             const QDateTime& madeAt);
// The same ticket for a receipt printer of `columns`: "小票-后厨", the table's code and name on
// one line in double size, "名称", "口味", "数量/单位", the lines, "制单时间：".
Receipt kitchenReceipt(const std::vector<KitchenLine>& lines, const QString& tableCode, const QString& tableName,
                       const QDateTime& madeAt, int columns);

// Marks the visit's lines after `afterLineId` up to `lastLineId` as sent and re-points the
// committed lines at the visit.
void markSentToKitchen(TDMTable& dm, qint64 visitKey, qint64 lastLineId, qint64 afterLineId = 0);

// "后厨": builds the kitchen list of the current visit and table. On the system's printer it
// shows the ticket in the print preview; on a receipt kitchen printer it sends the ticket
// straight. Once the ticket went out (printed, saved, or every byte sent) the visit's lines are
// marked as sent. True when the ticket went out.
bool printKitchenList(TDMTable& dm, db::Dataset& list);

// After a commit of the visit's lines after `afterLineId` up to `lastLineId`: with the kitchen
// option on and a receipt kitchen printer, sends their kitchen ticket and marks them sent. A
// printer that fails shows its message and leaves them unsent, for "后厨" later.
enum class KitchenTicket {
    Off,     // the option is off or the kitchen printer is the system's
    Nothing, // none of the lines goes to the kitchen
    Sent,
    Failed,
};
KitchenTicket sendCommittedToKitchen(TDMTable& dm, qint64 visitKey, const QString& tableCode, qint64 afterLineId,
                                     qint64 lastLineId);

} // namespace kx::frontdesk
