#include "ItemTransfer.h"

#include "Csv.h"
#include "DerivedStock.h"
#include "ErrorGuard.h"
#include "Money.h"
#include "Prompter.h"
#include "Sql.h"
#include "TDMSetup.h"
#include "Transaction.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTableView>
#include <QVBoxLayout>

#include <iconv.h>
#include <map>
#include <optional>
#include <set>

namespace kx::backoffice {

namespace {

enum Column { Class, Code, Name, Short, Unit, Price, Cost, Commission, Type, Real, ColumnCount };

const QString kItemRequired = QStringLiteral("项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！");

// GB18030 through glibc's converter (Qt's own decoder knows it only when built with ICU).
std::optional<QString> fromGb18030(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == iconv_t(-1)) return std::nullopt;
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 2 + 16, '\0');
    char* inp = in.data();
    size_t inLeft = size_t(in.size());
    char* outp = out.data();
    size_t outLeft = size_t(out.size());
    const size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1)) return std::nullopt;
    out.truncate(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

std::optional<QString> decode(const QByteArray& bytes) {
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError()) return text;
    return fromGb18030(body);
}

// A money column: empty reads as missing; otherwise a plain number.
std::optional<double> money(const QString& text, bool* bad) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok) *bad = true;
    return ok ? std::optional<double>(v) : std::nullopt;
}

struct Line {
    int number = 0; // in the file, the header being 1
    QString cls, code, name, shortCode, unit, type;
    double price = 0, cost = 0, commission = 0;
    bool real = false;
};

struct Stored {
    QString cls, type, name, shortCode, unit;
    double price, cost, commission;
    bool real;
};

bool sameMoney(double a, double b) { return toCents(a) == toCents(b); }

} // namespace

QStringList itemFileCaptions() {
    return {QStringLiteral("分类编码"), QStringLiteral("编码"), QStringLiteral("项目名称"), QStringLiteral("快捷"),
            QStringLiteral("单位"),     QStringLiteral("单价"), QStringLiteral("成本"),     QStringLiteral("提成"),
            QStringLiteral("类型"),     QStringLiteral("实价")};
}

int exportItems(QSqlDatabase db, const QString& path) {
    QSqlQuery q = db::run(db, QStringLiteral(
                                  "SELECT i.clas_code, i.item_code, i.item_name, i.item_shor, i.item_unit, i.item_unit_pric, "
                                  "i.item_cost_pric, i.item_dedu_pric, COALESCE(t.item_type_name, i.item_type_code), "
                                  "COALESCE(i.item_real, 0) FROM itemlist i LEFT JOIN itemtypelist t "
                                  "ON t.item_type_code = i.item_type_code ORDER BY i.clas_code, i.item_code"));
    std::vector<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (int c = 0; c < Real; ++c)
            row << (c >= Price && c <= Commission && !q.value(c).isNull() ? QVariant(q.value(c).toDouble()) : q.value(c));
        row << (q.value(Real).toBool() ? QStringLiteral("是") : QString());
        rows.push_back(row);
    }
    return writeCsv(path, itemFileCaptions(), rows) ? int(rows.size()) : -1;
}

ItemImport importItems(QSqlDatabase db, const QString& path) {
    ItemImport result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.wrongFormat = true;
        return result;
    }
    const std::optional<QString> text = decode(file.readAll());
    const QList<QStringList> records = text ? parseCsv(*text) : QList<QStringList>();
    // The columns by caption, in whatever order the file has them.
    std::vector<int> at(ColumnCount, -1);
    if (!records.isEmpty()) {
        const QStringList captions = itemFileCaptions();
        for (int i = 0; i < records[0].size(); ++i) {
            const int c = int(captions.indexOf(records[0][i].trimmed()));
            if (c >= 0) at[size_t(c)] = i;
        }
    }
    for (int c : at)
        if (c < 0) {
            result.wrongFormat = true;
            return result;
        }

    // What the checks need, read once.
    std::map<QString, QString> kindOfClass;
    for (QSqlQuery q = db::run(db, QStringLiteral("SELECT clas_code, kind_code FROM classlist")); q.next();)
        kindOfClass[q.value(0).toString()] = q.value(1).toString();
    std::set<QString> units;
    for (QSqlQuery q = db::run(db, QStringLiteral("SELECT unit_name FROM UnitList")); q.next();)
        units.insert(q.value(0).toString());
    std::map<QString, QString> typeOfName;
    for (QSqlQuery q = db::run(db, QStringLiteral("SELECT item_type_code, item_type_name FROM itemtypelist")); q.next();) {
        typeOfName[q.value(1).toString()] = q.value(0).toString();
        typeOfName[q.value(0).toString()] = q.value(0).toString();
    }
    std::map<QString, Stored> stored;
    for (QSqlQuery q = db::run(db, QStringLiteral("SELECT item_code, clas_code, item_type_code, item_name, item_shor, "
                                                  "item_unit, item_unit_pric, item_cost_pric, item_dedu_pric, "
                                                  "COALESCE(item_real, 0) FROM itemlist"));
         q.next();)
        stored[q.value(0).toString()] = {q.value(1).toString(),  q.value(2).toString(),  q.value(3).toString(),
                                         q.value(4).toString(),  q.value(5).toString(),  q.value(6).toDouble(),
                                         q.value(7).toDouble(),  q.value(8).toDouble(),  q.value(9).toBool()};

    std::vector<Line> lines;
    std::set<QString> seen;
    for (int r = 1; r < records.size(); ++r) {
        const QStringList& rec = records[r];
        // A blank line (a spreadsheet often ends with one) is no item.
        if (rec.join(QString()).trimmed().isEmpty()) continue;
        auto cell = [&](Column c) { return unguarded(rec.value(at[size_t(c)])).trimmed(); };
        Line l;
        l.number = r + 1;
        l.cls = cell(Class).toUpper();
        l.code = cell(Code).toUpper();
        l.name = cell(Name);
        l.shortCode = cell(Short).toUpper();
        l.unit = cell(Unit);
        const QString typeText = cell(Type);
        const QString realText = cell(Real);
        auto refuse = [&](const QString& why) {
            result.problems << QStringLiteral("第%1行：").arg(l.number) + why;
        };
        bool badNumber = false;
        const std::optional<double> price = money(cell(Price), &badNumber);
        l.cost = money(cell(Cost), &badNumber).value_or(0);
        l.commission = money(cell(Commission), &badNumber).value_or(0);
        l.price = price.value_or(0);
        const auto type = typeOfName.find(typeText);
        l.type = type != typeOfName.end() ? type->second : QString();
        if (realText == QStringLiteral("是") || realText == QStringLiteral("√") || realText == QLatin1String("1"))
            l.real = true;
        else if (!realText.isEmpty() && realText != QStringLiteral("否") && realText != QLatin1String("0")) {
            refuse(QStringLiteral("[实价]只能是“是”或空"));
            continue;
        }

        const auto kind = kindOfClass.find(l.cls);
        if (l.code.isEmpty() || l.name.isEmpty() || l.type.isEmpty() || badNumber || !price || toCents(*price) <= 0) {
            refuse(kItemRequired);
        } else if (kind == kindOfClass.end()) {
            refuse(QStringLiteral("分类[") + l.cls + QStringLiteral("]不存在"));
        } else if (!l.unit.isEmpty() && !units.count(l.unit)) {
            refuse(QStringLiteral("单位[") + l.unit + QStringLiteral("]不存在"));
        } else if (l.code.size() > 6 || l.name.size() > 20 || l.shortCode.size() > 10) {
            refuse(QStringLiteral("[编码]最多6个字符，[项目名称]最多20个字符，[快捷]最多10个字符"));
        } else if (!seen.insert(l.code).second) {
            refuse(QStringLiteral("编码在文件中重复"));
        } else if ((kind->second == QLatin1String("M")) != (l.type == QLatin1String("4"))) {
            refuse(kind->second == QLatin1String("M") ? QStringLiteral("[原料]大类下的项目只能是配料")
                                                      : QStringLiteral("配料只能设在[原料]大类下"));
        } else if (toCents(l.cost) > toCents(l.price)) {
            refuse(QStringLiteral("[成本]不能大于[单价]！"));
        } else if (toCents(l.commission) > toCents(l.price) - toCents(l.cost)) {
            refuse(QStringLiteral("[提成]不能大于利润！"));
        } else if (const auto s = stored.find(l.code);
                   s != stored.end() && (s->second.cls != l.cls || s->second.type != l.type)) {
            refuse(QStringLiteral("与已有项目的分类或类型不同"));
        } else {
            lines.push_back(l);
        }
    }
    if (!result.problems.isEmpty()) return result;

    db::Transaction tx(db);
    for (const Line& l : lines) {
        const QVariant shortCode = l.shortCode.isEmpty() ? QVariant() : QVariant(l.shortCode);
        const QVariant unit = l.unit.isEmpty() ? QVariant() : QVariant(l.unit);
        const auto s = stored.find(l.code);
        if (s == stored.end()) {
            db::exec(db,
                     QStringLiteral("INSERT INTO itemlist (clas_code, item_code, item_name, item_shor, item_unit, "
                                    "item_unit_pric, item_cost_pric, item_dedu_pric, item_type_code, item_real, item_coun, "
                                    "item_limi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?)"),
                     {l.cls, l.code, l.name, shortCode, unit, l.price, l.cost, l.commission, l.type, l.real,
                      QStringLiteral("不限")});
            ++result.added;
            continue;
        }
        const Stored& was = s->second;
        if (was.name == l.name && was.shortCode == l.shortCode && was.unit == l.unit && sameMoney(was.price, l.price) &&
            sameMoney(was.cost, l.cost) && sameMoney(was.commission, l.commission) && was.real == l.real)
            continue;
        db::exec(db,
                 QStringLiteral("UPDATE itemlist SET item_name = ?, item_shor = ?, item_unit = ?, item_unit_pric = ?, "
                                "item_cost_pric = ?, item_dedu_pric = ?, item_real = ? WHERE item_code = ?"),
                 {l.name, shortCode, unit, l.price, l.cost, l.commission, l.real, l.code});
        ++result.changed;
    }
    db::storeChange(db);
    tx.commit();
    return result;
}

void addItemTransferButtons(QWidget* itemScreen, TDMSetup& s) {
    auto* kindList = itemScreen->findChild<QTableView*>(QStringLiteral("DBGrid7"));
    auto* side = kindList ? qobject_cast<QVBoxLayout*>(kindList->parentWidget()->layout()->itemAt(1)->layout()) : nullptr;
    if (!side) return;
    auto* row = new QHBoxLayout;
    auto* exporting = new QPushButton(QStringLiteral("导出"), itemScreen);
    exporting->setObjectName(QStringLiteral("btn_ItemExport"));
    auto* importing = new QPushButton(QStringLiteral("导入"), itemScreen);
    importing->setObjectName(QStringLiteral("btn_ItemImport"));
    for (QPushButton* b : {exporting, importing}) {
        b->setAutoDefault(true);
        row->addWidget(b);
    }
    side->addLayout(row);
    Dataset* items = s.adoqry_ConsItem;
    QObject::connect(exporting, &QPushButton::clicked, exporting, [itemScreen, items] {
        guarded([&] {
            const QString path = modalHost().saveFileName(itemScreen, QStringLiteral("导出"), QStringLiteral("项目.csv"),
                                                          QStringLiteral("CSV (*.csv)"));
            if (path.isEmpty()) return;
            const int n = exportItems(items->database(), path);
            if (n < 0) {
                prompter().information(QStringLiteral("无法写入文件：") + path);
                return;
            }
            prompter().information(QStringLiteral("导出完成：共") + QString::number(n) + QStringLiteral("项。"));
        });
    });
    Dataset* classes = s.adoqry_ConsClass;
    QObject::connect(importing, &QPushButton::clicked, importing, [itemScreen, items, classes] {
        guarded([&] {
            const QString path = modalHost().openFileName(itemScreen, QStringLiteral("导入"), QString(),
                                                          QStringLiteral("CSV (*.csv)"));
            if (path.isEmpty()) return;
            // A row being typed is settled first, as leaving it would.
            if (items->state() != Dataset::Browse) items->post();
            const ItemImport r = importItems(items->database(), path);
            if (r.wrongFormat) {
                prompter().information(QStringLiteral("文件格式不正确，请使用[导出]的格式！"));
                return;
            }
            if (!r.problems.isEmpty()) {
                prompter().information(r.problems.mid(0, 20).join(QLatin1Char('\n')) + QLatin1Char('\n') +
                                       QStringLiteral("共") + QString::number(r.problems.size()) +
                                       QStringLiteral("行有误，没有导入任何项目。"));
                return;
            }
            // The items of the current class as they are now.
            items->reload();
            if (classes->afterScroll && !classes->isEmpty()) classes->afterScroll(*classes);
            prompter().information(QStringLiteral("导入完成：新增") + QString::number(r.added) + QStringLiteral("项，修改") +
                                   QString::number(r.changed) + QStringLiteral("项。"));
        });
    });
}

} // namespace kx::backoffice
