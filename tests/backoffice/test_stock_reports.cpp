// The stock tree's printing screens: the count sheet and menu of "库存盘点" with their kind
// filter, and the ingredient usage of "配料使用" with its period.
//
// Sample venue: kinds C 菜品 (single items, all "不限", and the composite 1005 番茄炒蛋 made of
// 9001 鸡蛋 3, 9002 番茄 0.5, 9003 食用油 0.1), D 酒水 (counted: 4001 青岛啤酒 120 @10 cost 4,
// 4002 长城干红 24 @168/80, 4003 五粮液 6 @988/650 in 酒类; 5001 可乐 200 @6/2, 5003 矿泉水
// 100 @3/1 in 饮料; 5002 "不限"), T 套餐 (set menus 6001, 6002) and M 配料 (counted: 9001 鸡蛋
// 240 @1/0.6, 9002 番茄 50 @6/4, 9003 食用油 20 @12/9). The clock stands at 2026-12-09 10:00.
#include "SetupScreenTest.h"
#include "StockReports.h"

#include <QCheckBox>
#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

namespace {

using kx::backoffice::StockSheet;

QDate day(int d) {
    return QDate(2026, 12, d);
}

class StockReportTest : public kx::test::SetupScreenTest {
  protected:
    void SetUp() override {
        SetupScreenTest::SetUp();
        kx::db::exec(db(), "update SetupPay set user_name = '金桂园'");
    }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
        QApplication::processEvents();
    }
    // "按大类" ticked or not, and the kind chosen from the box's list with the keyboard (none: the
    // box left as it is).
    void filter(bool byKind, const char* kindName = nullptr) {
        auto* box = control<QCheckBox>("CheckBox6");
        if (box->isChecked() != byKind) QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_EQ(box->isChecked(), byKind);
        if (!kindName) return;
        auto* kinds = control<QComboBox>("DBLookupComboBox11");
        const int at = kinds->findText(QString::fromUtf8(kindName));
        ASSERT_GE(at, 0) << kindName;
        kinds->setFocus();
        QTest::keyClick(kinds, Qt::Key_Home);
        for (int i = 0; i < at; ++i)
            QTest::keyClick(kinds, Qt::Key_Down);
        ASSERT_EQ(kinds->currentText(), QString::fromUtf8(kindName));
    }
    // The list ds_Temp holds, as the last button left it.
    const kx::db::Dataset& list() const { return *main->ds_Temp->dataset(); }
    // The preview's "保存PDF" pressed with `path` as the file.
    void savePreviewAs(const QString& path) {
        dialogs.fileName(path);
        dialogs.handle([](QDialog* preview) {
            QAction* save = preview->findChild<QAction*>("actionSavePdf");
            if (!save) return int(QDialog::Rejected);
            save->trigger();
            return preview->result();
        });
    }
    // A composite line of the archive: `count` sold (flag 1) or returned (-1) on business day `d`.
    void sell(const char* item, const char* type, double count, const QDate& d, int flag = 1,
              const char* setMenu = nullptr) {
        kx::db::exec(db(),
                     "insert into AllCons (tabl_gues_auto_recn, item_code, item_name, item_unit, item_type_code, "
                     "tabl_cons_coun, item_coun_flag, tabl_cons_time_work, grou_code) "
                     "select 1, item_code, item_name, item_unit, ?, ?, ?, ?, ? from itemlist where item_code = ?",
                     {type, count, flag, QDateTime(d, QTime(0, 0)), setMenu ? QVariant(setMenu) : QVariant(), item});
    }

    QTemporaryDir files;
};

// ---------------------------------------------------------------- the count sheet and the menu

struct ListCase {
    const char* name;
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }
    bool byKind;
    const char* kind; // chosen in the box, or the box left empty
    const char* button;
    const char* codes;
};

TEST_F(StockReportTest, TheListsFollowTheButtonAndTheKindFilter) {
    const char* everyCounted = "4001 4002 4003 5001 5003 9001 9002 9003";
    const ListCase cases[] = {
        {"ticked without a kind: every kind", true, nullptr, "BitBtn2", everyCounted},
        {"a kind not ticked: every kind", false, "酒水", "BitBtn2", everyCounted},
        {"ticked with a kind: only it", true, "酒水", "BitBtn2", "4001 4002 4003 5001 5003"},
        {"the count sheet of a kind", true, "配料", "BitBtn1", "9001 9002 9003"},
        {"a kind without counted items", true, "菜品", "BitBtn1", ""},
        // The menu lists "不限" items too, never set menus or composites.
        {"the menu of a kind", true, "菜品", "BitBtn3", "1001 1002 1003 1004 2001 2002 3001 3002"},
        {"the whole menu", false, nullptr, "BitBtn3",
         "1001 1002 1003 1004 2001 2002 3001 3002 4001 4002 4003 5001 5002 5003 9001 9002 9003"},
    };
    openStockLeaf("库存盘点");
    EXPECT_TRUE(control<QWidget>("pnl_storereport")->isVisible());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    EXPECT_EQ(control<QPushButton>("BitBtn3")->text(), "菜  谱");
    EXPECT_EQ(captions("DBGrid56"), QStringList({"编码", "项目名称", "单位", "库存", "限量", "单价", "成本", "类型"}));
    // On entry: the counted items, the kinds in the box and none chosen.
    EXPECT_EQ(shown("DBGrid56", {0}).join(' '), everyCounted);
    auto* kinds = control<QComboBox>("DBLookupComboBox11");
    EXPECT_EQ(kinds->currentIndex(), -1);
    EXPECT_EQ(kinds->count(), 4);
    EXPECT_EQ(shown("DBGrid56", {0, 1, 2, 3, 4, 5, 6, 7}).first(), "4001|青岛啤酒|瓶|120|有限|10.00|4.00|单品");
    EXPECT_EQ(shown("DBGrid56", {0, 7}).last(), "9003|配料");

    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        filter(c.byKind, c.kind);
        click(c.button);
        EXPECT_EQ(shown("DBGrid56", {0}).join(' '), QString::fromUtf8(c.codes));
        // "统计" only lists; the other two show their report, even an empty one.
        const QString title = c.button == std::string("BitBtn3")   ? "菜   谱"
                              : c.button == std::string("BitBtn1") ? "库存分类盘点表"
                                                                   : QString();
        if (title.isEmpty()) {
            EXPECT_TRUE(dialogs.shown().isEmpty());
        } else {
            ASSERT_EQ(dialogs.shown().size(), 1);
            EXPECT_EQ(dialogs.shown()[0].className, "QPrintPreviewDialog");
            EXPECT_EQ(dialogs.shown()[0].title, title);
        }
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

// The pieces of `text` found in this order.
void expectInOrder(const QString& text, const QStringList& pieces) {
    qsizetype at = 0;
    for (const QString& piece : pieces) {
        const qsizetype found = text.indexOf(piece, at);
        EXPECT_GE(found, 0) << "missing after " << at << ": " << piece.toStdString() << "\n" << text.toStdString();
        if (found >= 0) at = found + piece.size();
    }
}

TEST_F(StockReportTest, TheCountSheetHoldsEachKindAndClassWithItsAmounts) {
    openStockLeaf("库存盘点");
    const QString pdf = files.filePath("count.pdf");
    savePreviewAs(pdf);
    click("BitBtn1");
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].kind, "save");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));

    const kx::ReportFrame sheet = kx::backoffice::stockSheetReport(list(), StockSheet::Count, "金桂园", "管理员");
    const kx::ReportDocument doc = sheet.document();
    EXPECT_EQ(doc.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(doc.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
    if (!qEnvironmentVariableIsEmpty("KESTRIX_SHOTS")) doc.savePdf(qEnvironmentVariable("KESTRIX_SHOTS") + "/count-sheet.pdf");
    const QString columns = "编码\t项目名称\t单位\t库存\t限量\t单价\t成本\t类型";
    // Amounts counted by hand: stock × price and stock × cost.
    expectInOrder(doc.toPlainText(),
                  {"库存分类盘点表", "单位名称：金桂园",
                   "大类：酒水", "分类->酒类", columns,
                   "4001\t青岛啤酒\t瓶\t120\t有限\t10.00\t4.00\t单品",
                   "4003\t五粮液\t瓶\t6\t有限\t988.00\t650.00\t单品",
                   "小计金额：11,160.00    小计成本：6,300.00",
                   "分类->饮料", columns,
                   "5001\t可乐", "5003\t矿泉水",
                   "小计金额：1,500.00    小计成本：500.00",
                   "合计金额：12,660.00    合计成本：6,800.00",
                   "大类：配料", "分类->原料", columns,
                   "9001\t鸡蛋\t个\t240\t有限\t1.00\t0.60\t配料",
                   "小计金额：780.00    小计成本：524.00",
                   "合计金额：780.00    合计成本：524.00",
                   "总计金额：13,440.00    总计成本：7,324.00",
                   "制表时间：2026-12-09 10:00:00    制表人：管理员"});
    // Only kinds with counted items; no maker's address line.
    EXPECT_FALSE(doc.toPlainText().contains("大类：菜品"));
    EXPECT_FALSE(doc.toPlainText().contains("www"));
}

TEST_F(StockReportTest, TheMenuHasNoStockCostOrAmounts) {
    openStockLeaf("库存盘点");
    filter(true, "酒水");
    click("BitBtn3");
    const QString text =
        kx::backoffice::stockSheetReport(list(), StockSheet::Menu, "金桂园", "管理员").document().toPlainText();
    expectInOrder(text, {"菜   谱", "单位名称：金桂园", "大类：酒水", "分类->酒类", "编码\t项目名称\t单位\t限量\t单价\t类型",
                         "4001\t青岛啤酒\t瓶\t有限\t10.00\t单品", "分类->饮料", "5002\t鲜榨橙汁\t扎\t不限\t38.00\t单品"});
    for (const char* absent : {"库存", "成本", "小计", "合计", "总计", "制表", "120"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << absent << "\n" << text.toStdString();
}

TEST_F(StockReportTest, AnEmptyCountSheetStillPrintsItsTotals) {
    openStockLeaf("库存盘点");
    filter(true, "套餐");
    click("BitBtn1");
    ASSERT_EQ(dialogs.shown().size(), 1);
    const QString text =
        kx::backoffice::stockSheetReport(list(), StockSheet::Count, "金桂园", main->OperatorName).document().toPlainText();
    expectInOrder(text, {"库存分类盘点表", "单位名称：金桂园", "总计金额：0.00    总计成本：0.00", "制表人：管理员"});
}

// The query's kind is a bound value: a code with a quote is just a code.
TEST_F(StockReportTest, TheKindIsBoundNotSpliced) {
    kx::db::exec(db(), "insert into kindlist (kind_code, kind_name) values ('''', '引号')");
    kx::db::exec(db(), "insert into classlist (kind_code, clas_code, clas_name) values ('''', 'Q01', '引号类')");
    kx::db::exec(db(), "update itemlist set clas_code = 'Q01' where item_code = '5003'");
    openStockLeaf("库存盘点");
    filter(true, "引号");
    click("BitBtn2");
    EXPECT_EQ(shown("DBGrid56", {0}), QStringList{"5003"});
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

// A large venue's sheet, from the button to the saved PDF.
TEST_F(StockReportTest, AThreeThousandItemSheetIsSavedInUnderThreeSeconds) {
    kx::db::exec(db(),
                 "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                 "insert into itemlist (clas_code, item_code, item_name, item_unit, item_unit_pric, item_cost_pric, "
                 "item_coun, item_type_code, item_limi) "
                 "select case i % 3 when 0 then 'D01' when 1 then 'D02' else 'M01' end, 'X' || i, "
                 "'测试项目名称' || i, '份', 12.5, 7.25, i % 50, '1', '有限' from n");
    openStockLeaf("库存盘点");
    const QString pdf = files.filePath("large.pdf");
    savePreviewAs(pdf);
    QElapsedTimer timer;
    timer.start();
    click("BitBtn1");
    const qint64 ms = timer.elapsed();
    std::printf("3,008-item count sheet, button to PDF: %lld ms\n", ms);
    EXPECT_EQ(list().recordCount(), 3008);
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_LT(ms, 3000);
}

// ---------------------------------------------------------------- ingredient usage

struct Sale {
    const char* item;
    const char* type;
    double count;
    int day;
    int flag = 1;
    const char* setMenu = nullptr;
};

struct UsageCase {
    const char* name;
    friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
    std::vector<Sale> sales;
    int first, last;
    QStringList rows; // name|unit|usage
    const char* total;
};

TEST_F(StockReportTest, UsageCountsTheCompositesSoldInThePeriod) {
    // The composite takes 0.2 of 番茄.
    kx::db::exec(db(), "update ItemGroup set grou_coun = 0.2 where grou_code = '1005' and item_code = '9002'");
    const UsageCase cases[] = {
        {"a composite sold 3", {{"1005", "3", 3, 9}}, 9, 9, {"番茄|斤|0.6", "食用油|斤|0.3", "鸡蛋|个|9"}, "9.9"},
        {"one of them returned",
         {{"1005", "3", 3, 9}, {"1005", "3", 1, 9, -1}},
         9,
         9,
         {"番茄|斤|0.4", "食用油|斤|0.2", "鸡蛋|个|6"},
         "6.6"},
        {"set menus and single items", {{"6002", "2", 2, 9}, {"4001", "1", 6, 9}, {"1001", "1", 1, 9}}, 9, 9, {}, "0"},
        // Inside a set menu the composite is used once; the set menu's own rows add nothing.
        {"a set menu holding the composite",
         {{"6001", "2", 1, 9}, {"1001", "1", 1, 9, 1, "6001"}, {"1005", "3", 1, 9, 1, "6001"}},
         9,
         9,
         {"番茄|斤|0.2", "食用油|斤|0.1", "鸡蛋|个|3"},
         "3.3"},
        {"a period without sales", {{"1005", "3", 3, 8}, {"1005", "3", 3, 10}}, 9, 9, {}, "0"},
        {"both ends of the period count",
         {{"1005", "3", 1, 6}, {"1005", "3", 1, 7}, {"1005", "3", 1, 8}, {"1005", "3", 1, 9}},
         7,
         8,
         {"番茄|斤|0.4", "食用油|斤|0.2", "鸡蛋|个|6"},
         "6.6"},
    };
    openStockLeaf("配料使用");
    EXPECT_TRUE(control<QWidget>("pnl_totalmix")->isVisible());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    EXPECT_EQ(captions("DBGrid61"), QStringList({"项目名称", "单位", "使用量"}));
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.name);
        kx::db::exec(db(), "delete from AllCons");
        for (const Sale& s : c.sales)
            sell(s.item, s.type, s.count, day(s.day), s.flag, s.setMenu);
        typeDate("DateTimePicker12", day(c.first));
        typeDate("DateTimePicker13", day(c.last));
        click("Button8");
        EXPECT_EQ(shown("DBGrid61", {0, 1, 2}), c.rows);

        dialogs.clear();
        click("BitBtn4");
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.shown()[0].title, "配料使用情况统计表");
        const QString text = kx::backoffice::ingredientUsageReport(list(), day(c.first), day(c.last), main->OperatorName)
                                 .document()
                                 .toPlainText();
        QStringList lines;
        for (const QString& row : c.rows)
            lines << QString(row).replace('|', '\t') + '\t';
        expectInOrder(text, QStringList{"配料使用情况统计表",
                                        QString("统计时间：2026-12-%1 至 2026-12-%2")
                                            .arg(c.first, 2, 10, QChar('0'))
                                            .arg(c.last, 2, 10, QChar('0')),
                                        "项目名称\t单位\t使用量\t备注"} +
                                lines +
                                QStringList{QString("合计：\t\t%1\t").arg(c.total), "操作员工：管理员",
                                            "录入时间：2026-12-09 10:00:00"});
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(StockReportTest, TheUsagePeriodIsTodayAtEveryOpening) {
    kx::db::exec(db(), "update ItemGroup set grou_coun = 0.2 where grou_code = '1005' and item_code = '9002'");
    sell("1005", "3", 3, day(9));
    sell("1005", "3", 5, day(1));
    openStockLeaf("配料使用");
    EXPECT_EQ(control<QDateEdit>("DateTimePicker12")->date(), day(9));
    EXPECT_EQ(control<QDateEdit>("DateTimePicker13")->date(), day(9));
    EXPECT_EQ(shown("DBGrid61", {0, 2}), QStringList({"番茄|0.6", "食用油|0.3", "鸡蛋|9"}));
    typeDate("DateTimePicker12", day(1));
    click("Button8");
    EXPECT_EQ(shown("DBGrid61", {0, 2}), QStringList({"番茄|1.6", "食用油|0.8", "鸡蛋|24"}));
    openStockLeaf("库存盘点");
    openStockLeaf("配料使用");
    EXPECT_EQ(control<QDateEdit>("DateTimePicker12")->date(), day(9));
    EXPECT_EQ(shown("DBGrid61", {0, 2}), QStringList({"番茄|0.6", "食用油|0.3", "鸡蛋|9"}));
}

} // namespace
