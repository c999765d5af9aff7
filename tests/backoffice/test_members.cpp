// Member cards kept from the "管理设置" tree: card types, members and their cards, and the
// adjustment rows from which a card's balance and points are worked out.
//
// Sample venue: card 8800001 (储值卡, 500 topped up), card 8800002 (积分卡, 200 points).
#include "Check.h"
#include "Connection.h"
#include "Password.h"
#include "SetupScreenTest.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using kx::db::Dataset;

namespace {

class MemberTest : public kx::test::SetupScreenTest {
  protected:
    void showCard(const QString& card) {
        openManageLeaf("会员信息");
        ASSERT_TRUE(manage->adoqry_Member->locate("memb_card_code", card)) << card.toStdString();
    }
    void click(const char* name) {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
        QApplication::processEvents();
    }
    // A new stored-value card typed on the member screen and saved.
    void newCard(const QString& card, const char* kindButton = "RadioButton1", const QString& password = "pw") {
        openManageLeaf("会员信息");
        press(main->toolb_Add);
        prompter.clear();
        type("DBEdit64", card);
        auto* box = control<QComboBox>("DBLookupComboBox6");
        box->setCurrentIndex(0);
        emit box->activated(0);
        click(kindButton);
        type("DBEdit66", password);
        type("DBEdit69", "ZHANG SAN");
        type("DBEdit71", "ACME");
        type("DBEdit72", "1 MAIN ST");
        type("DBEdit73", "13800000000");
        press(main->toolb_Save);
        ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
        ASSERT_TRUE(manage->adoqry_Member->locate("memb_card_code", card));
    }
    // One adjustment row added and saved on the open adjustment screen.
    void adjust(const char* edit, const QString& amount) {
        press(main->toolb_Add);
        type(edit, amount);
        press(main->toolb_Save);
    }
    double stored(const QString& card, const char* column) const {
        return kx::db::scalarNumber(db(), QStringLiteral("select %1 from MemberList where memb_card_code = ?")
                                              .arg(QLatin1String(column)),
                                    {card});
    }
    QString shown(const char* edit) const { return this->edit(edit)->text(); }
    void expectConsistent() const {
        EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
    }
};

TEST_F(MemberTest, AStoredValueCardFollowsItsTopUpsAndTheFrontDesksCharges) {
    newCard("6600001");
    EXPECT_TRUE(control<QPushButton>("SpeedButton4")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("SpeedButton5")->isEnabled());
    click("SpeedButton4");
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_MembManage);
    EXPECT_EQ(toolbar(), QStringList({"增加", "取消", "保存", "回退"}));
    EXPECT_EQ(control<QLabel>("lbl_MembCard")->text(), "会员卡号：6600001    卡类型：储值卡/ZHANG SAN");
    EXPECT_TRUE(edit("DBEdit76")->isEnabled());
    EXPECT_FALSE(edit("DBEdit77")->isEnabled());
    adjust("DBEdit76", "100");
    adjust("DBEdit76", "50");
    EXPECT_EQ(stored("6600001", "memb_surp"), 150); // at once, with each row
    press(main->toolb_Back);
    EXPECT_EQ(main->CurrentDataset, manage->adoqry_Member);
    EXPECT_EQ(shown("DBEdit68"), "150.00");
    EXPECT_TRUE(main->toolb_Search->isVisible());

    // The front desk charges 30 with the card.
    kx::db::exec(db(), "update MemberList set memb_surp = memb_surp - 30, memb_use = memb_use + 30 "
                       "where memb_card_code = '6600001'");
    click("SpeedButton4");
    adjust("DBEdit76", "20");
    press(main->toolb_Back);
    EXPECT_EQ(stored("6600001", "memb_surp"), 140);
    EXPECT_EQ(stored("6600001", "memb_use"), 30);
    EXPECT_EQ(shown("DBEdit68"), "140.00");
    expectConsistent();
}

TEST_F(MemberTest, APointsCardTakesADeductionAndNeverGoesBelowZero) {
    showCard("8800002");
    EXPECT_FALSE(control<QPushButton>("SpeedButton4")->isEnabled());
    EXPECT_TRUE(control<QPushButton>("SpeedButton5")->isEnabled());
    EXPECT_TRUE(control<QRadioButton>("RadioButton2")->isChecked());
    click("SpeedButton5");
    EXPECT_FALSE(edit("DBEdit76")->isEnabled());
    adjust("DBEdit77", "-20");
    EXPECT_EQ(stored("8800002", "memb_stor"), 180);
    adjust("DBEdit77", "-181");
    EXPECT_EQ(lastText(), "消费积分不能小于零，请重新输入！");
    EXPECT_EQ(stored("8800002", "memb_stor"), 180);
    press(main->toolb_Back); // the refused row is dropped
    EXPECT_EQ(stored("8800002", "memb_stor"), 180);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from membManage where memb_card_code = '8800002'"), 2);
    expectConsistent();
}

struct AdjustmentCase {
    const char* name;
    friend void PrintTo(const AdjustmentCase& c, std::ostream* os) { *os << c.name; }
    std::function<void(MemberTest&)> act;
    const char* message; // shown, captioned with the series title when the second field says so
    bool seriesCaption;
    double balance; // of 8800001 afterwards (500 topped up)
    int rows;       // its adjustment rows afterwards
};

class AdjustmentCases : public MemberTest, public ::testing::WithParamInterface<AdjustmentCase> {
  public:
    void add(const char* e, const QString& t) { adjust(e, t); }
    void typeInto(const char* e, const QString& t) { type(e, t); }
    void empty(const char* e) {
        edit(e)->setFocus();
        edit(e)->selectAll();
        QTest::keyClick(edit(e), Qt::Key_Backspace);
    }
    qint64 rowsWithoutPoints() const {
        return kx::db::scalarInt(db(), "select count(*) from membManage where memb_mana_inte is null");
    }
    QToolButton* button(const char* which) const {
        return QString(which) == "add" ? main->toolb_Add : QString(which) == "save" ? main->toolb_Save : main->toolb_Back;
    }
    void push(const char* which) { press(button(which)); }
    Dataset* rows() const { return manage->adoqry_MembManage; }
};

TEST_P(AdjustmentCases, KeepTheCardRight) {
    const AdjustmentCase& c = GetParam();
    showCard("8800001");
    click("SpeedButton4");
    prompter.clear();
    c.act(*this);
    if (*c.message) {
        ASSERT_FALSE(prompter.boxes().isEmpty());
        EXPECT_EQ(prompter.last().text, QString::fromUtf8(c.message));
        if (c.seriesCaption) EXPECT_EQ(prompter.last().caption, kx::SeriesTitle);
    } else {
        EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    }
    press(main->toolb_Back);
    EXPECT_EQ(stored("8800001", "memb_surp"), c.balance);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from membManage where memb_card_code = '8800001'"), c.rows);
    expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(
    Members, AdjustmentCases,
    ::testing::Values(
        AdjustmentCase{"BothAmountsZeroRefused",
                       [](MemberTest& t) { static_cast<AdjustmentCases&>(t).add("DBEdit76", "0"); },
                       "续钱金额或积分增减不能为零！", true, 500, 1},
        AdjustmentCase{"ASavedRowChangedIsRefusedAndUndone",
                       [](MemberTest& t) {
                           auto& a = static_cast<AdjustmentCases&>(t);
                           a.typeInto("DBEdit76", "900");
                           a.push("save");
                           EXPECT_EQ(a.rows()->field("memb_mana_save").asFloat(), 500);
                           EXPECT_EQ(a.rows()->state(), Dataset::Browse);
                       },
                       "只能增加，不能被修改！", true, 500, 1},
        AdjustmentCase{"AHalfTypedRowIsDroppedOnLeaving",
                       [](MemberTest& t) {
                           auto& a = static_cast<AdjustmentCases&>(t);
                           a.add("DBEdit76", "10");
                           a.push("add");
                           a.typeInto("DBEdit76", "70");
                       },
                       "", false, 510, 2},
        AdjustmentCase{"ARefundBelowTheBalanceRefused",
                       [](MemberTest& t) { static_cast<AdjustmentCases&>(t).add("DBEdit76", "-500.01"); },
                       "剩余金额不能小于零，请重新输入！", false, 500, 1},
        AdjustmentCase{"ARefundInCents",
                       [](MemberTest& t) { static_cast<AdjustmentCases&>(t).add("DBEdit76", "-0.7"); }, "", false,
                       499.3, 2},
        // The points box emptied by hand: the row stores 0 points, not a missing amount.
        AdjustmentCase{"AnEmptiedPointsBoxIsZero",
                       [](MemberTest& t) {
                           auto& a = static_cast<AdjustmentCases&>(t);
                           a.push("add");
                           a.empty("DBEdit77");
                           a.typeInto("DBEdit76", "10");
                           a.push("save");
                           EXPECT_EQ(a.rowsWithoutPoints(), 0);
                       },
                       "", false, 510, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// The front desk charges the card on its own connection while a top-up is being typed here,
// before or after it is saved: neither amount is lost.
TEST_F(MemberTest, AChargeAtTheFrontDeskMeanwhileIsKept) {
    kx::db::Connection frontDesk;
    frontDesk.open(path);
    auto charge = [&] {
        kx::db::exec(frontDesk.db(), "update MemberList set memb_surp = memb_surp - 30, memb_use = memb_use + 30 "
                                     "where memb_card_code = '8800001'");
    };
    for (const bool beforeSaving : {true, false}) {
        SCOPED_TRACE(beforeSaving ? "charged before the top-up is saved" : "charged before leaving");
        const double before = stored("8800001", "memb_surp");
        showCard("8800001");
        click("SpeedButton4");
        press(main->toolb_Add);
        type("DBEdit76", "20");
        if (beforeSaving) charge();
        press(main->toolb_Save);
        if (!beforeSaving) charge();
        press(main->toolb_Back);
        EXPECT_EQ(stored("8800001", "memb_surp"), before + 20 - 30);
        EXPECT_EQ(shown("DBEdit68"), QString::number(before - 10, 'f', 2));
        expectConsistent();
    }
}

TEST_F(MemberTest, ANewCardNeedsItsFieldsAndItsPasswordIsKeptAsAHash) {
    openManageLeaf("会员信息");
    press(main->toolb_Add);
    prompter.clear();
    // No kind chosen yet: neither button, neither adjustment.
    EXPECT_FALSE(control<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_FALSE(control<QPushButton>("SpeedButton4")->isEnabled());
    type("DBEdit64", "6600002");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "会员[卡号]、[会员类型]、[卡类型]、[姓名]、[工作单位]、[地址]、[电话]不能为空！");
    press(main->toolb_Cancel);

    newCard("6600002", "RadioButton2", "abc123");
    const QString hash = kx::db::scalarText(db(), "select memb_pass from MemberList where memb_card_code = '6600002'");
    EXPECT_TRUE(kx::verifyPassword("ABC123", hash)); // typed in capitals
    EXPECT_EQ(manage->adoqry_Member->field("membpass").asString(), "******");
    EXPECT_EQ(kx::db::scalarText(db(), "select memb_card_type from MemberList where memb_card_code = '6600002'"),
              "积分卡");
    EXPECT_TRUE(control<QPushButton>("SpeedButton5")->isEnabled());
    // Another field changed: the password stays.
    type("DBEdit74", "VIP");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select memb_pass from MemberList where memb_card_code = '6600002'"), hash);
    // The end date picked is the card's.
    auto* end = control<QDateEdit>("DateTimePicker1");
    end->setDate(QDate(2027, 6, 30));
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select substr(memb_time_end, 1, 10) from MemberList where memb_card_code = "
                                       "'6600002'"),
              "2027-06-30");
    expectConsistent();
}

TEST_F(MemberTest, ACardDeletedTakesItsAdjustmentsWithIt) {
    showCard("8800001");
    deleteCurrent();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from MemberList where memb_card_code = '8800001'"), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from membManage where memb_card_code = '8800001'"), 0);
    // A new card under the number starts empty.
    newCard("8800001");
    EXPECT_EQ(stored("8800001", "memb_surp"), 0);
    expectConsistent();
}

TEST_F(MemberTest, CardTypesNeedCodeAndName) {
    openManageLeaf("会员类别");
    press(main->toolb_Add);
    type("DBEdit57", "09");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "会员卡类型[编码]、[名称]不能为空！");
    type("DBEdit58", "gold");
    type("DBEdit61", "885");
    EXPECT_EQ(edit("DBEdit61")->text(), "88");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select memb_Type_name || '/' || memb_type_disc_perc || '/' || "
                                       "memb_type_allo_time from MembType where memb_type_code = '09'"),
              "GOLD/88/0");
    EXPECT_FALSE(kx::db::scalarText(db(), "select memb_type_now from MembType where memb_type_code = '09'").isEmpty());
}

} // namespace
