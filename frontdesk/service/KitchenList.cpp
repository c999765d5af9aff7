#include "KitchenList.h"

#include "Clock.h"
#include "Dataset.h"
#include "Prompter.h"
#include "ReceiptPrinters.h"
#include "Sql.h"
#include "TDMTable.h"
#include "Values.h"

#include <QSizeF>

#include <algorithm>

namespace kx::frontdesk {

using db::Dataset;

void openKitchenList(Dataset& list, qint64 visitKey, qint64 afterLineId, qint64 lastLineId) {
    list.setSql(QStringLiteral("SELECT b.item_unit, b.item_name, (a.item_coun_flag * a.tabl_cons_coun) AS tabl_cons_coun, "
                               "a.cons_narr_code, n.cons_narr_name "
                               "FROM TableConsList a JOIN itemlist b ON a.item_code = b.item_code "
                               "JOIN classlist c ON c.clas_code = a.clas_code "
                               "LEFT JOIN ConsNarrList n ON n.cons_narr_code = a.cons_narr_code "
                               "WHERE COALESCE(a.tabl_cons_tran, 0) = 0 AND c.manu_code = '2' "
                               "AND b.item_type_code <> '2' AND a.tabl_cons_coun <> 0 AND a.tabl_gues_auto_recn = ? "
                               "AND a.tabl_cons_ID > ? %1"
                               "ORDER BY a.tabl_cons_ID")
                    // No upper bound is no condition: the server's integer keys take no 64-bit limit.
                    .arg(lastLineId == kNoLineLimit ? QString() : QStringLiteral("AND a.tabl_cons_ID <= ? ")),
                lastLineId == kNoLineLimit ? QVariantList{visitKey, afterLineId}
                                           : QVariantList{visitKey, afterLineId, lastLineId});
    list.open();
}

std::vector<KitchenLine> kitchenLines(Dataset& list) {
    std::vector<KitchenLine> lines;
    for (list.first(); !list.eof(); list.next()) {
        KitchenLine l{list.field(QStringLiteral("item_name")).asString(),
                      list.field(QStringLiteral("cons_narr_name")).asString(),
                      list.field(QStringLiteral("tabl_cons_coun")).asFloat(),
                      list.field(QStringLiteral("item_unit")).asString()};
        if (l.narrative.isEmpty()) l.narrative = list.field(QStringLiteral("cons_narr_code")).asString();
        lines.push_back(std::move(l));
    }
    list.first();
    return lines;
}

namespace {

QString quantityText(double quantity, const QString& unit) {
    return QString::number(quantity, 'g', 15) + QLatin1Char(' ') + unit;
}

} // namespace

ReportDocument kitchenTicket(Dataset& list, const QString& tableCode, const QString& tableName, const QDateTime& madeAt) {
    const auto esc = [](const QString& s) { return ReportDocument::escape(s); };
    QString rows;
    const std::vector<KitchenLine> lines = kitchenLines(list);
    for (const KitchenLine& l : lines) {
        const QString quantity = esc(quantityText(l.quantity, l.unit)).replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td align=\"right\">%3</td></tr>")
                    .arg(esc(l.name), esc(l.narrative), quantity);
    }
    const int count = int(lines.size());

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

Receipt kitchenReceipt(const std::vector<KitchenLine>& lines, const QString& tableCode, const QString& tableName,
                       const QDateTime& madeAt, int columns) {
    Receipt r(columns, QStringLiteral("小票-后厨"));
    const int narrative = r.columns() >= 40 ? 12 : 8;
    constexpr int quantity = 9; // "数量/单位"
    const auto R = ReceiptAlign::Right;
    r.text(QStringLiteral("小票-后厨"), ReceiptAlign::Centre, {.bold = true, .large = true});
    r.rule();
    r.pair(tableCode, tableName, {.bold = true, .large = true});
    r.rule();
    r.row({{QStringLiteral("名称"), 0}, {QStringLiteral("口味"), narrative}, {QStringLiteral("数量/单位"), quantity, R}});
    for (const KitchenLine& l : lines)
        r.row({{l.name, 0}, {l.narrative, narrative}, {quantityText(l.quantity, l.unit), quantity, R}});
    r.rule();
    r.text(QStringLiteral("制单时间：") + madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    r.rule();
    return r;
}

void markSentToKitchen(TDMTable& dm, qint64 visitKey, qint64 lastLineId, qint64 afterLineId) {
    db::exec(dm.database(),
             QStringLiteral("UPDATE TableConsList SET tabl_cons_tran = 1 WHERE tabl_gues_auto_recn = ? "
                            "AND tabl_cons_ID > ? AND tabl_cons_ID <= ?"),
             {visitKey, afterLineId, lastLineId});
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
    openKitchenList(list, key, 0, lastLine);
    const bool onTable = table.active() && !table.isEmpty();
    const QString tableCode = onTable ? table.field(QStringLiteral("tabl_code")).asString() : QString();
    const QString tableName = onTable ? table.field(QStringLiteral("tabl_name")).asString() : QString();
    const DeskPrinter printer = deskPrinters(dm.database()).kitchen;
    if (printer.receipt()) {
        const std::vector<KitchenLine> lines = kitchenLines(list);
        if (lines.empty()) {
            inform(QStringLiteral("没有需要送后厨的项目！"));
            return false;
        }
        if (!printReceipt(printer, kitchenReceipt(lines, tableCode, tableName, Clock::now(), printer.columns)))
            return false;
    } else if (!kitchenTicket(list, tableCode, tableName, Clock::now()).preview()) {
        return false;
    }
    markSentToKitchen(dm, key, lastLine);
    return true;
}

KitchenTicket sendCommittedToKitchen(TDMTable& dm, qint64 visitKey, const QString& tableCode, qint64 afterLineId,
                                     qint64 lastLineId) {
    if (!dm.setup.flag(QStringLiteral("pay_set_auto_manu")) || lastLineId <= afterLineId) return KitchenTicket::Off;
    const DeskPrinter printer = deskPrinters(dm.database()).kitchen;
    if (!printer.receipt()) return KitchenTicket::Off;
    Dataset list(dm.database(), QStringLiteral("KitchenTicket"));
    openKitchenList(list, visitKey, afterLineId, lastLineId);
    const std::vector<KitchenLine> lines = kitchenLines(list);
    if (lines.empty()) return KitchenTicket::Nothing;
    const QString tableName =
        db::scalarText(dm.database(), QStringLiteral("SELECT tabl_name FROM TableList WHERE tabl_code = ?"), {tableCode});
    if (!printReceipt(printer, kitchenReceipt(lines, tableCode, tableName, Clock::now(), printer.columns)))
        return KitchenTicket::Failed;
    markSentToKitchen(dm, visitKey, lastLineId, afterLineId);
    return KitchenTicket::Sent;
}

} // namespace kx::frontdesk
