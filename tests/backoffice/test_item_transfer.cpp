// The item list exported to a spreadsheet file and imported from one, from the item screen's
// "导出" and "导入": all or nothing, through the item screen's own rules.
//
// Sample venue: 20 items in classes C01–C03, D01, D02, T01 and M01 (kind M, the ingredients);
// 4001 青岛啤酒 in D01 (10 / 4 / 1), units include 份, 瓶, 个.
#include "Csv.h"
#include "ItemTransfer.h"
#include "SetupScreenTest.h"

#include <QElapsedTimer>
#include <QFile>
#include <iconv.h>

namespace {

const QString kHeader = QStringLiteral("分类编码,编码,项目名称,快捷,单位,单价,成本,提成,类型,实价\r\n");

class ItemTransferTest : public kx::test::SetupScreenTest {
  protected:
    void SetUp() override {
        SetupScreenTest::SetUp();
        openLeaf("项目");
    }
    QString file(const char* name) const { return dir.path() + "/" + name; }
    void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void writeUtf8(const QString& path, const QString& text) { write(path, "\xEF\xBB\xBF" + text.toUtf8()); }
    void click(const char* button, const QString& path) {
        dialogs.fileName(path);
        prompter.clear();
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
        QApplication::processEvents();
    }
    // Every item as the database holds it.
    QStringList items() const {
        QStringList out;
        QSqlQuery q = kx::db::run(db(), "select clas_code, item_code, item_name, item_shor, item_unit, item_unit_pric, "
                                        "item_cost_pric, item_dedu_pric, item_type_code, item_real, item_coun, item_limi "
                                        "from itemlist order by item_code");
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < 12; ++c)
                row << q.value(c).toString();
            out << row.join('|');
        }
        return out;
    }
    QString stored(const char* code, const char* column) const {
        return kx::db::scalarText(db(), QStringLiteral("select %1 from itemlist where item_code = ?").arg(column),
                                  {QString(code)});
    }
};

TEST_F(ItemTransferTest, AnExportedFileImportsBackWithoutAChange) {
    const QStringList before = items();
    click("btn_ItemExport", file("items.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({"导出完成：共20项。"}));
    QFile f(file("items.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = kx::parseCsv(QString::fromUtf8(bytes.mid(3)));
    EXPECT_EQ(rows[0], kx::backoffice::itemFileCaptions());
    EXPECT_TRUE(rows.contains(QStringList({"D01", "4001", "青岛啤酒", "QDPJ", "瓶", "10", "4", "1", "单品", ""})));
    click("btn_ItemImport", file("items.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({"导入完成：新增0项，修改0项。"}));
    EXPECT_EQ(items(), before);
}

struct GoodFile {
    const char* name;
    std::function<QByteArray()> bytes;
    const char* code;
    const char* itemName;
};

class ItemImportsThatWork : public ItemTransferTest, public ::testing::WithParamInterface<GoodFile> {};

TEST_P(ItemImportsThatWork, StoreTheItem) {
    write(file("in.csv"), GetParam().bytes());
    click("btn_ItemImport", file("in.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({"导入完成：新增1项，修改1项。"}));
    EXPECT_EQ(stored(GetParam().code, "item_name"), QString::fromUtf8(GetParam().itemName));
    EXPECT_EQ(stored(GetParam().code, "item_limi"), "不限");
    EXPECT_EQ(stored("4001", "item_unit_pric").toDouble(), 12);
    // The screen shows the items of its class as they are now.
    EXPECT_EQ(setup->adoqry_ConsItem->state(), kx::db::Dataset::Browse);
}

QByteArray gb18030(const QString& text) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    QByteArray in = text.toUtf8(), out(in.size() * 2 + 16, '\0');
    char* ip = in.data();
    char* op = out.data();
    size_t il = size_t(in.size()), ol = size_t(out.size());
    iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(ol));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    ItemTransfer, ItemImportsThatWork,
    ::testing::Values(
        GoodFile{"ANameWithACommaAndAQuote",
                 [] {
                     return "\xEF\xBB\xBF" + (kHeader + QStringLiteral("C01,1101,\"鱼,\"\"香\"\"肉丝\",YXRS,份,28,9,1,单品,\r\n"
                                                                       "D01,4001,青岛啤酒,QDPJ,瓶,12,4,1,单品,\r\n"))
                                                .toUtf8();
                 },
                 "1101", "鱼,\"香\"肉丝"},
        GoodFile{"ASpreadsheetsChineseFile",
                 [] {
                     return gb18030(kHeader + QStringLiteral("C02,2101,拍黄瓜大份,PHGD,盘,18,6,0,1,√\r\n"
                                                             "D01,4001,青岛啤酒,QDPJ,瓶,12,4,1,1,\r\n"));
                 },
                 "2101", "拍黄瓜大份"},
        GoodFile{"ColumnsInAnotherOrderAndLowerCaseCodes",
                 [] {
                     return QStringLiteral("编码,项目名称,类型,分类编码,单价,成本,提成,单位,快捷,实价\n"
                                           "m9,葱,配料,m01,3,2,0,斤,c,否\n"
                                           "4001,青岛啤酒,单品,D01,12,4,1,瓶,QDPJ,\n")
                         .toUtf8();
                 },
                 "M9", "葱"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadFile {
    const char* name;
    const char* lines; // after the header
    const char* reason;
};

class ItemImportsRefused : public ItemTransferTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(ItemImportsRefused, NameTheLineAndStoreNothing) {
    const QStringList before = items();
    writeUtf8(file("in.csv"), kHeader + QStringLiteral("C01,1101,新菜,XC,份,28,9,1,单品,\r\n") +
                                  QString::fromUtf8(GetParam().lines));
    click("btn_ItemImport", file("in.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({QStringLiteral("第3行：") + QString::fromUtf8(GetParam().reason) +
                                             QStringLiteral("\n共1行有误，没有导入任何项目。")}));
    EXPECT_EQ(items(), before);
}

INSTANTIATE_TEST_SUITE_P(
    ItemTransfer, ItemImportsRefused,
    ::testing::Values(BadFile{"UnknownClass", "X99,1102,菜,,份,10,1,0,单品,", "分类[X99]不存在"},
                      BadFile{"UnknownUnit", "C01,1102,菜,,桶,10,1,0,单品,", "单位[桶]不存在"},
                      BadFile{"TheSameCodeTwice", "C01,1101,菜,,份,10,1,0,单品,", "编码在文件中重复"},
                      BadFile{"AnItemOfAnotherClass", "C02,4001,青岛啤酒,,瓶,10,4,1,单品,", "与已有项目的分类或类型不同"},
                      BadFile{"AnotherType", "D01,4001,青岛啤酒,,瓶,10,4,1,套餐,", "与已有项目的分类或类型不同"},
                      BadFile{"NoPrice", "C01,1102,菜,,份,,1,0,单品,", "项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！"},
                      BadFile{"CommissionAboveProfit", "C01,1102,菜,,份,10,9,1.01,单品,", "[提成]不能大于利润！"},
                      BadFile{"AnIngredientOutsideItsKind", "C01,1102,菜,,份,10,1,0,配料,", "配料只能设在[原料]大类下"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ItemTransferTest, FiveHundredItemsGoInTogetherOrNotAtAll) {
    QString lines = kHeader;
    for (int i = 1; i <= 500; ++i)
        lines += QStringLiteral("C01,N%1,新菜%1,,份,%2,%3,0,单品,\r\n").arg(i, 3, 10, QChar('0')).arg(20).arg(i == 36 ? 21 : 8);
    writeUtf8(file("bad.csv"), lines);
    click("btn_ItemImport", file("bad.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({"第37行：[成本]不能大于[单价]！\n共1行有误，没有导入任何项目。"}));
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemlist"), 20);

    writeUtf8(file("good.csv"), QString(lines).replace(QStringLiteral(",21,"), QStringLiteral(",8,")));
    QElapsedTimer timer;
    timer.start();
    click("btn_ItemImport", file("good.csv"));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(prompter.texts(), QStringList({"导入完成：新增500项，修改0项。"}));
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemlist"), 520);
}

TEST_F(ItemTransferTest, AFileOfAnotherFormIsRefused) {
    writeUtf8(file("other.csv"), QStringLiteral("编码,名称\r\n4001,青岛啤酒\r\n"));
    click("btn_ItemImport", file("other.csv"));
    EXPECT_EQ(prompter.texts(), QStringList({"文件格式不正确，请使用[导出]的格式！"}));
}

} // namespace
