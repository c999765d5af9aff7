// The guest's bill as the cashier prints it from the bill screen ("打印 /", numeric-pad /) or
// previews it ("预览 F10"): what it shows under each layout setting and payment, and that
// neither stores anything.
#include "BillPrint.h"
#include "CapturedPrints.h"
#include "CheckoutFixture.h"
#include "ReportDocument.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

namespace {

using kx::test::CheckoutTest;
using kx::test::OrderLine;

// 宫保鸡丁 2 × 38, 拍黄瓜 1 × 11 (菜品), 可乐 3 × 6 (酒水): 105 in all, nothing else charged.
const std::vector<OrderLine> kLines = {{"1001", "C01", 2, 38}, {"2001", "C02", 1, 11}, {"5001", "D02", 3, 6}};

class BillPrintTest : public CheckoutTest {
public:
    // What the cases do on the bill screen, as the cashier does it.
    using CheckoutTest::bill;
    using CheckoutTest::chooseCreditAccount;
    using CheckoutTest::chooseMember;
    using CheckoutTest::type;
    using CheckoutTest::typeAmount;

protected:
    void SetUp() override {
        CheckoutTest::SetUp();
        kx::db::exec(db(), "UPDATE MemberList SET memb_surp = 100, memb_use = 0 WHERE memb_card_code = '8800001'");
        kx::db::exec(db(), "UPDATE SetupPay SET user_name_s = '金桂园', user_name_e = 'Golden Osmanthus', "
                       "user_name = '金桂园餐饮娱乐有限公司', user_tele = '0571-88886666'");
        // As the next login reads them.
        dm->adoqry_SetupPay->reload();
    }
    // Changes the bill layout as the layout screen stores it.
    void layout(const std::vector<std::pair<QString, QVariant>>& values) {
        for (const auto& [column, value] : values)
            kx::db::exec(db(), QStringLiteral("UPDATE setupprint SET %1 = ?").arg(column), {value});
        dm->adoqry_SetupPrint->refresh();
    }
    // "打印 /" answered Yes; the text of the bill printed.
    QString printByKey() {
        prompter.answer(true);
        press(Qt::Key_Slash, Qt::KeypadModifier);
        return prints.texts.isEmpty() ? QString() : prints.texts.last();
    }
    // The rules of the item table (the rows holding a rule alone).
    int itemRules() const {
        return prints.html.isEmpty() ? -1 : int(prints.html.last().count(QStringLiteral("<tr><td colspan=\"5\"><hr/></td></tr>")));
    }

    kx::test::CapturedPrints prints;
};

struct BillCase {
    const char* name;
    std::vector<std::pair<QString, QVariant>> layout;
    std::function<void(BillPrintTest&)> onBill; // what the cashier does before printing
    QStringList shown;
    QStringList notShown;
    int itemRules = -1; // the rules of the item table, when it matters
};

class BillCases : public BillPrintTest, public ::testing::WithParamInterface<BillCase> {};

TEST_P(BillCases, PrintsWhatTheLayoutAndThePaymentCallFor) {
    const BillCase& c = GetParam();
    layout(c.layout);
    seat("A01", "01", 4, kLines);
    enterBill();
    if (c.onBill) c.onBill(*this);
    const QString text = printByKey();
    ASSERT_FALSE(text.isEmpty()) << prompter.texts().join('|').toStdString();
    for (const QString& s : c.shown) EXPECT_TRUE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
    for (const QString& s : c.notShown) EXPECT_FALSE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
    if (c.itemRules >= 0) EXPECT_EQ(itemRules(), c.itemRules);
}

const QStringList kItems = {"宫保鸡丁", "拍黄瓜", "可乐"};
const QStringList kAccountLines = {"会员信息：", "会员余额：", "挂帐信息：", "挂帐金额："};
const std::vector<std::pair<QString, QVariant>> kEveryLine = {
    {"set_prn_disc_allo", true}, {"set_prn_pay_allo", true},  {"set_prn_memb_allo", true}, {"set_prn_mpay_allo", true},
    {"set_prn_hang_allo", true}, {"set_prn_hpay_allo", true}, {"set_prn_zero_allo", true}};

INSTANTIATE_TEST_SUITE_P(
    Layouts, BillCases,
    ::testing::Values(
        // Two rules around the column header, one above the summary.
        BillCase{"DetailWithoutKindFooter", {{"set_prn_deta_allo", true}, {"set_prn_kind_allo", false}}, nullptr,
                 kItems + QStringList{"赠单合计", "合计", "105.00"}, {"小计"}, 3},
        // A footer per kind between its two rules; no rule above the summary.
        BillCase{"DetailWithKindFooter", {{"set_prn_deta_allo", true}, {"set_prn_kind_allo", true}}, nullptr,
                 kItems + QStringList{"菜品", "酒水", "小计", "87.00", "18.00"}, {}, 2 + 4},
        // One subtotal line per kind; the "小计" caption and the rules belong to the detail.
        BillCase{"KindFooterWithoutDetail", {{"set_prn_deta_allo", false}, {"set_prn_kind_allo", true}}, nullptr,
                 {"菜品", "酒水", "87.00", "18.00", "合计"}, kItems + QStringList{"小计"}, 2},
        BillCase{"TotalsOnly", {{"set_prn_deta_allo", false}, {"set_prn_kind_allo", false}}, nullptr,
                 {"赠单合计", "合计", "105.00"}, kItems + QStringList{"菜品", "酒水", "小计"}, 2},
        BillCase{"CashOnlyPrintsNoAccountLines", kEveryLine, [](BillPrintTest& t) { t.typeAmount("Z", "105"); },
                 {"付款明细：现金105"}, kAccountLines},
        BillCase{"ExactCashWithoutDiscountPrintsNeitherDiscountNorChange", kEveryLine,
                 [](BillPrintTest& t) { t.typeAmount("Z", "105"); }, {}, {"优惠明细：", "找零明细："}},
        BillCase{"CashAboveTheBillPrintsTheChange", kEveryLine, [](BillPrintTest& t) { t.typeAmount("Z", "200"); },
                 {"找零明细：收款金额-200 找零金额-95"}},
        BillCase{"TheChangeLineFollowsItsFlag", {{"set_prn_zero_allo", false}},
                 [](BillPrintTest& t) { t.typeAmount("Z", "200"); }, {}, {"找零明细："}},
        BillCase{"ADiscountPrintsBothSums", kEveryLine,
                 [](BillPrintTest& t) {
                     t.bill->PageControl2->setCurrentIndex(3);
                     t.type(t.bill->DBEdit15, "80");
                 },
                 {"优惠明细：消费合计-105  优惠合计-21"}},
        BillCase{"TheCardsBalanceBeforeAndAfter", kEveryLine,
                 [](BillPrintTest& t) {
                     t.chooseMember("8800001", "123456");
                     t.typeAmount("M", "30");
                     t.typeAmount("Z", "75");
                 },
                 {"会员信息：8800001", "会员余额： 消费前金额-100 消费后金额-70", "会员卡30"}, {"挂帐信息："}},
        BillCase{"TheCreditAccountOwedBeforeAndAfter", kEveryLine,
                 [](BillPrintTest& t) {
                     t.chooseCreditAccount();
                     t.typeAmount("H", "80.5");
                     t.typeAmount("Z", "24.5");
                 },
                 {"挂帐信息：华信科技", "挂帐金额： 消费前金额-0 消费后金额-80.5"}, {"会员信息："}},
        BillCase{"AHeaderLineSwitchedOffLeavesItsCaptions", {{"set_prn_1_allo", false}}, nullptr,
                 {"房台名称：大厅1号台", "帐单编号：101"}, {"客人姓名：", "客人人数："}},
        BillCase{"ASlotShowingTheCheckoutTime", {{"set_prn_31_titl", "结帐时间"}, {"set_prn_31_fiel", "tabl_gues_time_end"}},
                 nullptr, {"结帐时间：12-09 10:00"}},
        BillCase{"ASlotNamingNoVisitColumnPrintsItsCaptionAlone", {{"set_prn_12_fiel", "no_such_column"}}, nullptr,
                 {"客人人数：", "客人姓名："}},
        BillCase{"TheVenueAndItsCustomText", {{"set_prn_d1_allo", true}, {"set_prn_d2_allo", true}, {"set_prn_d2_text", "凭此单开发票"}},
                 nullptr,
                 {"帐单", "金桂园", "Golden Osmanthus", "营业日期：2026-12-09", "结帐员工：管理员", "谢谢惠顾，欢迎再次光临！",
                  "凭此单开发票", "金桂园餐饮娱乐有限公司 电话：0571-88886666"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BillPrintTest, AnItemReturnedToNothingIsLeftOut) {
    seat("A01", "01", 4, kLines);
    kx::db::exec(db(), "INSERT INTO TableConsList (tabl_gues_auto_recn, tabl_code, clas_code, item_code, item_unit_pric, "
                   "tabl_cons_coun, tabl_cons_tota, item_type_code, menu_type_code, item_type_flag, item_coun_flag, kind_code) "
                   "VALUES (101, 'A01', 'C02', '2001', 11, 1, -11, '1', '2', -1, -1, 'C')");
    enterBill();
    const QString text = printByKey();
    EXPECT_FALSE(text.contains("拍黄瓜")) << text.toStdString();
    EXPECT_TRUE(text.contains("宫保鸡丁"));
}

TEST_F(BillPrintTest, TheBillIsOneNarrowPageAsLongAsItsLines) {
    std::vector<OrderLine> many;
    for (int i = 0; i < 5; ++i) many.push_back({QStringLiteral("100%1").arg(i + 1), "C01", 1, 10.0 + i});
    seat("A01", "01", 4, {kLines.front()});
    enterBill();
    printByKey();
    ASSERT_EQ(prints.pages.size(), 1u);
    const QSizeF shortBill = prints.pages.back().pageSize().size(QPageSize::Millimeter);
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);

    seat("A02", "01", 4, many, 102);
    enterBill();
    printByKey();
    ASSERT_EQ(prints.pages.size(), 2u);
    const QSizeF longBill = prints.pages.back().pageSize().size(QPageSize::Millimeter);
    EXPECT_EQ(shortBill.width(), 80);
    EXPECT_GT(longBill.height(), shortBill.height() + 10);
    EXPECT_LT(shortBill.height(), 297);
}

TEST_F(BillPrintTest, WithoutAPrinterTheCashierIsToldToPreview) {
    prints.printer = false;
    seat("A01", "01", 4, kLines);
    enterBill();
    printByKey();
    EXPECT_EQ(prompter.texts(), QStringList({"请确认是否进行打印帐单处理，请选择(是/否)！", kx::frontdesk::BillScreen::kNoPrinter}));
    EXPECT_TRUE(prints.texts.isEmpty());
    // Answered No, nothing at all.
    prompter.clear();
    prompter.answer(false);
    prints.printer = true;
    press(Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_TRUE(prints.texts.isEmpty());
}

TEST_F(BillPrintTest, PreviewAndPrintStoreNothingAndTheCheckoutAfterThemStoresTheSame) {
    // The same visit twice, on A01 with a preview and a print first, on A02 without.
    auto pay = [this] {
        chooseMember("8800001", "123456");
        typeAmount("M", "30");
        typeAmount("Z", "100");
    };
    seat("A01", "01", 4, kLines, 101);
    enterBill();
    pay();
    const auto stored = [this](qint64 key) {
        return QStringList{QString::number(visitValue("tabl_gues_fact", key)), QString::number(visitValue("memb_mone", key)),
                           QString::number(visitValue("none_mone", key)), visitText("tabl_gues_pay_narr", key),
                           visitText("tabl_gues_stat", key)};
    };
    const QStringList before = stored(101);
    press(Qt::Key_F10);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].className, "QPrintPreviewDialog");
    EXPECT_EQ(dialogs.shown()[0].title, "帐单");
    printByKey();
    ASSERT_EQ(prints.texts.size(), 1);
    // Nothing stored: the visit, the card and the payments are as before the bill was shown.
    EXPECT_EQ(stored(101), before);
    EXPECT_EQ(memberBalance(), 100);
    EXPECT_TRUE(payLines(101).isEmpty());
    // The cashier is back on the amount, cash on "Z" as typed.
    EXPECT_EQ(bill->PageControl2->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), bill->DBEdit14);
    EXPECT_EQ(dm->adoqry_PayType->field("pay_type_code").asString(), "Z");
    EXPECT_EQ(bill->checkout().typedAmount("M"), 30);
    EXPECT_EQ(bill->checkout().typedAmount("Z"), 100);
    prompter.answer(true);
    settleByKey();
    const QStringList first = {visitText("tabl_gues_pay_narr", 101), QString::number(visitValue("tabl_gues_fact", 101))};
    const QStringList firstPays = payLines(101);
    EXPECT_EQ(memberBalance(), 70);

    seat("A02", "01", 4, kLines, 102);
    enterBill();
    pay();
    prompter.answer(true);
    settleByKey();
    EXPECT_EQ((QStringList{visitText("tabl_gues_pay_narr", 102), QString::number(visitValue("tabl_gues_fact", 102))}), first);
    EXPECT_EQ(payLines(102), firstPays);
    EXPECT_EQ(memberBalance(), 40);
}

TEST_F(BillPrintTest, ThePreviewSavesTheBillAsAPdf) {
    layout(kEveryLine);
    seat("A01", "01", 4, kLines);
    enterBill();
    chooseMember("8800001", "123456");
    typeAmount("M", "30");
    typeAmount("Z", "100");
    QTemporaryDir out;
    const QString path = out.path() + QStringLiteral("/帐单.pdf");
    dialogs.handle([](QDialog* preview) {
        QAction* save = preview->findChild<QAction*>(QStringLiteral("actionSavePdf"));
        EXPECT_NE(save, nullptr);
        if (save) save->trigger();
        return int(QDialog::Rejected);
    });
    dialogs.fileName(path);
    press(Qt::Key_F10);
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_GT(pdf.size(), 2000);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

} // namespace
