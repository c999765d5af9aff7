// Discount schemes and the paid percentage of each class in a scheme, kept from the setup
// tree's "折扣": what a scheme refuses and why, and the class-rate screen with its candidates.
//
// Sample venue: "N" (不打折) stands for no scheme; V1 (会员九折) rates C01, C02, C03 and D02 at
// 90; VIP rates them at 85, 85, 85 and 90.
#include "SetupScreenTest.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

using kx::db::Dataset;

namespace {

class DiscountTest : public kx::test::SetupScreenTest {
  protected:
    void SetUp() override {
        SetupScreenTest::SetUp();
        openLeaf("折扣");
        ASSERT_EQ(main->CurrentDataset, setup->adoqry_ConsDiscount);
    }
    void showScheme(const QString& code) {
        ASSERT_TRUE(setup->adoqry_ConsDiscount->locate("disc_code", code)) << code.toStdString();
    }
    void openRates(const QString& scheme) {
        showScheme(scheme);
        QTest::mouseClick(control<QPushButton>("SpeedButton3"), Qt::LeftButton);
        QApplication::processEvents();
    }
    void search(const QString& text) {
        QLineEdit* s = edit("EditDictDisc");
        s->setFocus();
        s->selectAll();
        QTest::keyClicks(s, text);
    }
    QStringList offered() const {
        Dataset* q = main->ds_Temp->dataset();
        QStringList codes;
        for (int r = 0; r < q->recordCount(); ++r)
            codes << q->valueAt(r, q->fieldIndex("clas_code")).toString();
        return codes;
    }
    // The scheme's rates as "class rate", in the order they were added.
    QStringList rates(const QString& scheme) const {
        QStringList out;
        QSqlQuery q = kx::db::run(db(), "select clas_code, disc_clas_perc from discitem where disc_code = ? "
                                        "order by disc_ID",
                                  {scheme});
        while (q.next())
            out << q.value(0).toString() + ' ' + (q.value(1).isNull() ? QString("-") : q.value(1).toString());
        return out;
    }
    int schemes() const { return int(kx::db::scalarInt(db(), "select count(*) from discountlist")); }
};

struct SchemeCase {
    const char* name;
    friend void PrintTo(const SchemeCase& c, std::ostream* os) { *os << c.name; }
    const char* prepare; // statements run first, joined by ";" (may be empty)
    const char* scheme;
    const char* newCode; // recode to this; empty: delete the row
    const char* message; // empty: done
};

class SchemeCases : public DiscountTest, public ::testing::WithParamInterface<SchemeCase> {};

TEST_P(SchemeCases, RefuseWhileTheSchemeIsNeededElsewhere) {
    const SchemeCase& c = GetParam();
    if (*c.prepare) {
        for (const QString& sql : QString::fromUtf8(c.prepare).split(';'))
            kx::db::exec(db(), sql);
        setup->adoqry_ConsDiscount->refresh();
    }
    showScheme(c.scheme);
    const int before = schemes();
    if (*c.newCode) {
        type("DBEdit1", c.newCode);
        press(main->toolb_Save);
    } else {
        deleteCurrent();
    }
    const QString expected = QString::fromUtf8(c.message);
    EXPECT_EQ(lastText(), expected.isEmpty() && !*c.newCode ? "是否删除所选项目，删除后将不能恢复，请慎重!" : expected);
    const bool done = expected.isEmpty();
    const QString stored = *c.newCode && done ? c.newCode : c.scheme;
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from discountlist where disc_code = ?", {stored}),
              done && !*c.newCode ? 0 : 1);
    EXPECT_EQ(schemes(), done && !*c.newCode ? before - 1 : before);
}

const char* const kVisitInUseWithV2 =
    "insert into discountlist (disc_code, disc_name, disc_narr, disc_rema) values ('V2', '员工餐', '', ' ');"
    "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, disc_code) values (900, 'A01', 1, 'V2')";
const char* const kVisitClosedWithV2 =
    "insert into discountlist (disc_code, disc_name, disc_narr, disc_rema) values ('V2', '员工餐', '', ' ');"
    "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, disc_code) values (900, 'A01', 0, 'V2')";

INSTANTIATE_TEST_SUITE_P(
    Discount, SchemeCases,
    ::testing::Values(
        SchemeCase{"WithRatesNotDeleted", "", "V1", "", "[折扣方案]中下设置有项目，不能被删除!"},
        SchemeCase{"WithRatesNotRecoded", "", "VIP", "V9", "[折扣方案]中下设置有项目，不能被修改!"},
        SchemeCase{"NoSchemeNotDeleted", "", "N", "", "[不打折]为系统预设项目，所以不能被删除！"},
        SchemeCase{"NoSchemeNotRecoded", "", "N", "X", "[不打折]为系统预设项目，所以不能被修改！"},
        SchemeCase{"OnAVisitInUseNotDeleted", kVisitInUseWithV2, "V2", "",
                   "[折扣方案]正在被[前台操作]使用，不能被删除!"},
        SchemeCase{"OnAVisitInUseNotRecoded", kVisitInUseWithV2, "V2", "V3",
                   "[折扣方案]正在被[前台操作]使用，不能被修改!"},
        SchemeCase{"OnAClosedVisitDeleted", kVisitClosedWithV2, "V2", "", ""},
        SchemeCase{"WithoutRatesRecoded", kVisitClosedWithV2, "V2", "V3", ""},
        SchemeCase{"ACodeTakenIsADuplicate", kVisitClosedWithV2, "V2", "V1", "编号有重复，请从新输入！"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiscountTest, ANewSchemeNeedsCodeAndNameAndTakesThreeCapitals) {
    press(main->toolb_Add);
    type("DBEdit1", "abcd");
    EXPECT_EQ(edit("DBEdit1")->text(), "ABC");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "折扣方案[编码]、[名称]不能为空！");
    EXPECT_EQ(setup->adoqry_ConsDiscount->state(), Dataset::Insert);
    // Its rates cannot be opened before it stores.
    QTest::mouseClick(control<QPushButton>("SpeedButton3"), Qt::LeftButton);
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsDiscount);
    type("DBEdit3", "weekend");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select disc_name || '|' || disc_rema from discountlist where disc_code = 'ABC'"),
              "WEEKEND| ");
}

TEST_F(DiscountTest, AClassIsAddedAtNinetyOnceAndTheRateTakesTwoDigits) {
    openRates("V1");
    Dataset* rateRows = setup->adoqry_ConsDiscItem;
    EXPECT_EQ(main->CurrentDataset, rateRows);
    EXPECT_TRUE(control<QWidget>("pnl_DiscItem")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"删除", "回退"}));
    EXPECT_EQ(control<QLabel>("lbl_Disc")->text(), "[会员九折]");
    EXPECT_EQ(rateRows->recordCount(), 4);
    EXPECT_EQ(rateRows->field("clasname").asString(), "热菜"); // named from its kind
    EXPECT_EQ(control<QLabel>("lbl_DiscClass")->text(), "C01/热菜");
    EXPECT_TRUE(edit("EditDictDisc")->hasFocus());

    // The ingredients' classes are never offered.
    EXPECT_EQ(offered(), QStringList({"C01", "C02", "C03", "D01", "D02", "T01"}));
    search("d");
    EXPECT_EQ(offered(), QStringList({"D01", "D02"}));
    QTest::keyClick(edit("EditDictDisc"), Qt::Key_Return);
    EXPECT_EQ(rates("V1"), QStringList({"C01 90", "C02 90", "C03 90", "D02 90", "D01 90"}));
    QLineEdit* rate = edit("DBEdit11");
    EXPECT_TRUE(rate->hasFocus());
    rate->selectAll();
    QTest::keyClicks(rate, "8x57");
    EXPECT_EQ(rate->text(), "85");
    QTest::keyClick(rate, Qt::Key_Return);
    EXPECT_TRUE(edit("EditDictDisc")->hasFocus());
    EXPECT_TRUE(edit("EditDictDisc")->text().isEmpty());
    EXPECT_EQ(offered().size(), 6);

    // Again: only moved to, its rate kept (the typed one stored on the way).
    search("D01");
    QTest::keyClick(edit("EditDictDisc"), Qt::Key_Return);
    EXPECT_EQ(rateRows->field("clas_code").asString(), "D01");
    EXPECT_EQ(rates("V1"), QStringList({"C01 90", "C02 90", "C03 90", "D02 90", "D01 85"}));

    // A double click adds too.
    search("T");
    auto* list = control<QTableView>("DBGrid12");
    const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QApplication::processEvents();
    EXPECT_EQ(rates("V1").last(), "T01 90");
    EXPECT_TRUE(rate->hasFocus());

    // "删除" takes the current rate away.
    deleteCurrent();
    EXPECT_EQ(rates("V1"), QStringList({"C01 90", "C02 90", "C03 90", "D02 90", "D01 85"}));
}

TEST_F(DiscountTest, ATypedRateSurvivesBackAndAnEmptyOneKeepsTheScreen) {
    openRates("VIP");
    ASSERT_TRUE(setup->adoqry_ConsDiscItem->locate("clas_code", QString("C02")));
    QLineEdit* rate = edit("DBEdit11");
    rate->setFocus();
    rate->selectAll();
    QTest::keyClick(rate, Qt::Key_Backspace);
    press(main->toolb_Back);
    EXPECT_EQ(lastText(), "折扣率不能为空！");
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsDiscItem);
    EXPECT_TRUE(control<QWidget>("pnl_DiscItem")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"删除", "回退"}));

    rate->setFocus();
    QTest::keyClicks(rate, "75");
    press(main->toolb_Back);
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsDiscount);
    EXPECT_TRUE(control<QWidget>("pnl_Discount")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存"}));
    EXPECT_EQ(rates("VIP"), QStringList({"C01 85", "C02 75", "C03 85", "D02 90"}));

    // A tree click stores the rate being typed as well.
    openRates("VIP");
    ASSERT_TRUE(setup->adoqry_ConsDiscItem->locate("clas_code", QString("D02")));
    rate->setFocus();
    rate->selectAll();
    QTest::keyClicks(rate, "95");
    openLeaf("大类");
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsKind);
    EXPECT_EQ(rates("VIP").last(), "D02 95");
}

} // namespace
