#include "KitchenList.h"

#include "Clock.h"
#include "Dataset.h"
#include "Sql.h"
#include "TDMTable.h"
#include "Values.h"

#include <QSizeF>

#include <algorithm>

namespace kx::frontdesk {

using db::Dataset;

void openKitchenList(Dataset& list, qint64 visitKey) {
    list.setSql(QStringLiteral("SELECT b.item_unit, b.item_name, (a.item_coun_flag * a.tabl_cons_coun) AS tabl_cons_coun, "
                               "a.cons_narr_code, n.cons_narr_name "
                               "FROM TableConsList a JOIN itemlist b ON a.item_code = b.item_code "
                               "JOIN classlist c ON c.clas_code = a.clas_code "
                               "LEFT JOIN ConsNarrList n ON n.cons_narr_code = a.cons_narr_code "
                               "WHERE COALESCE(a.tabl_cons_tran, 0) = 0 AND c.manu_code = '2' "
                               "AND b.item_type_code <> '2' AND a.tabl_cons_coun <> 0 AND a.tabl_gues_auto_recn = ? "
                               "ORDER BY a.tabl_cons_ID"),
                {visitKey});
    list.open();
}

ReportDocument kitchenTicket(Dataset& list, const QString& tableCode, const QString& tableName, const QDateTime& madeAt) {
    const auto esc = [](const QString& s) { return ReportDocument::escape(s); };
    QString rows;
    int count = 0;
    for (list.first(); !list.eof(); list.next()) {
        ++count;
        // The narrative as the kitchen reads it: its name, or the code when it has none.
        QString narrative = list.field(QStringLiteral("cons_narr_name")).asString();
        if (narrative.isEmpty()) narrative = list.field(QStringLiteral("cons_narr_code")).asString();
        const double quantity = list.field(QStringLiteral("tabl_cons_coun")).asFloat();
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td align=\"right\">%3&nbsp;%4</td></tr>")
                    .arg(esc(list.field(QStringLiteral("item_name")).asString()), esc(narrative),
                         esc(QString::number(quantity, 'g', 15)), esc(list.field(QStringLiteral("item_unit")).asString()));
    }
    list.first();

    const QString html =
        QStringLiteral("<html><body style=\"font-size:14pt\">"
                       "<p align=\"center\" style=\"font-size:18pt; font-weight:bold\">小票-后厨</p>"
                       "<hr/>"
                       "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"1\"><tr>"
                       "<td style=\"font-size:16pt; font-weight:bold\">%1</td>"
                       "<td align=\"right\" style=\"font-size:16pt; font-weight:bold\">%2</td></tr></table>"
                       "<hr/>"
                       "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">"
                       "<tr><th align=\"left\">名称</th><th align=\"left\">口味</th><th align=\"right\">数量/单位</th></tr>"
                       "%3</table>"
                       "<hr/>"
                       "<p style=\"font-size:10pt\">制单时间：%4</p>"
                       "<hr/>"
                       "</body></html>")
            .arg(esc(tableCode), esc(tableName), rows, esc(madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));

    ReportDocument doc(QStringLiteral("小票-后厨"));
    // A narrow ticket as a kitchen printer takes it, as long as its lines need.
    const double height = std::clamp(70.0 + 10.0 * count, 100.0, 297.0);
    doc.setPage(QPageSize(QSizeF(80, height), QPageSize::Millimeter, QStringLiteral("小票")), QMarginsF(4, 4, 4, 4));
    doc.setHtml(html);
    return doc;
}

void markSentToKitchen(TDMTable& dm, qint64 visitKey, qint64 lastLineId) {
    db::exec(dm.database(),
             QStringLiteral("UPDATE TableConsList SET tabl_cons_tran = 1 WHERE tabl_gues_auto_recn = ? AND tabl_cons_ID <= ?"),
             {visitKey, lastLineId});
    dm.adoqry_TableCons->setSql(
        QStringLiteral("select * from TableConsList where tabl_gues_auto_recn=? order by tabl_cons_id"), {visitKey});
    dm.adoqry_TableCons->open();
}

bool printKitchenList(TDMTable& dm, Dataset& list) {
    Dataset& visit = *dm.adoqry_TableGues;
    Dataset& table = *dm.adoqry_table;
    if (!visit.active() || visit.isEmpty()) return false;
    const qint64 key = visit.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    // The lines the ticket can hold: those committed so far. A line committed while the ticket
    // is in the preview waits for the next ticket.
    const qint64 lastLine = db::scalarInt(
        dm.database(), QStringLiteral("SELECT MAX(tabl_cons_ID) FROM TableConsList WHERE tabl_gues_auto_recn = ?"), {key});
    openKitchenList(list, key);
    const bool onTable = table.active() && !table.isEmpty();
    const ReportDocument ticket =
        kitchenTicket(list, onTable ? table.field(QStringLiteral("tabl_code")).asString() : QString(),
                      onTable ? table.field(QStringLiteral("tabl_name")).asString() : QString(), Clock::now());
    if (!ticket.preview()) return false;
    markSentToKitchen(dm, key, lastLine);
    return true;
}

} // namespace kx::frontdesk
