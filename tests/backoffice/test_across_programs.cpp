// What the manager sets up here is what the cashier's front desk then uses: the composition of
// a set menu, ordered and committed; the class rates of a discount scheme, applied to a bill;
// the venue's departments, types, modes and tables, on the board and at an opening.
#include "BillCalc.h"
#include "Checkout.h"
#include "ItemTransfer.h"
#include "Opening.h"
#include "OrderScreen.h"
#include "Ordering.h"
#include "RegisterScreen.h"
#include "SetupScreenTest.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace {

class AcrossProgramsTest : public kx::test::SetupScreenTest {
  protected:
    void TearDown() override {
        desk.reset();
        SetupScreenTest::TearDown();
    }
    // The front desk's data module on the same database, logged in as it would be.
    kx::frontdesk::TDMTable& frontDesk() {
        desk = std::make_unique<kx::frontdesk::TDMTable>(db());
        desk->openWorkingData();
        return *desk;
    }
    // A visit opened on a free table of the sample venue with the given scheme.
    qint64 openVisit(const QString& table, const QString& scheme) {
        const qint64 key = kx::db::scalarInt(db(), "select auto_recn from SetupPay");
        kx::db::exec(db(), "update SetupPay set auto_recn = auto_recn + 1");
        kx::db::exec(db(),
                     "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_type_code, dept_code, "
                     "tabl_gues_coun, tabl_gues_time, tabl_gues_use, tabl_gues_stat, orde_code, cons_mode_code, "
                     "disc_code, disc_perc) select ?, l.tabl_code, l.tabl_type_code, l.dept_code, 2, ?, 1, '2', '1', "
                     "t.cons_mode_code, ?, 0 from TableList l, TableTypeList t "
                     "where t.tabl_type_code = l.tabl_type_code and l.tabl_code = ?",
                     {key, kx::Clock::now(), scheme, table});
        kx::db::exec(db(), "update TableList set tabl_stat_code = '2', tabl_gues_auto_recn = ? where tabl_code = ?",
                     {key, table});
        return key;
    }
    // Orders one of each item on the visit's pad and commits it, as "落单" does.
    void orderAndCommit(qint64 key, const QString& table, const QStringList& items) {
        kx::frontdesk::TDMTable& dm = frontDesk();
        dm.adoqry_TableGues->setFiltered(false);
        ASSERT_TRUE(dm.adoqry_TableGues->locate("tabl_gues_auto_recn", key));
        kx::frontdesk::Ordering ordering(nullptr, &dm);
        ordering.openPad(key, table);
        dm.adoqry_ConsItem->setFiltered(false);
        for (const QString& item : items) {
            ASSERT_TRUE(dm.adoqry_ConsItem->locate("item_code", item)) << item.toStdString();
            EXPECT_EQ(ordering.pickCurrentItem(), kx::frontdesk::Ordering::Pick::Added) << item.toStdString();
        }
        dm.adoqry_TableConsTemp->checkBrowseMode();
        ordering.commitPad();
    }
    double stock(const char* item) const {
        return kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = ?", {QString(item)});
    }

    std::unique_ptr<kx::frontdesk::TDMTable> desk;
};

TEST_F(AcrossProgramsTest, ASetMenuComposedHereIsOrderedWithItsComponentsAndCountedByHand) {
    // The beer set gets two egg dishes.
    showItem("T01", "6002");
    QTest::mouseClick(control<QPushButton>("SpeedButton1"), Qt::LeftButton);
    QLineEdit* search = edit("EditDict");
    QTest::keyClicks(search, "1005");
    QTest::keyClick(search, Qt::Key_Return);
    QLineEdit* count = edit("dbe_GroupCount");
    count->selectAll();
    QTest::keyClicks(count, "2");
    QTest::keyClick(count, Qt::Key_Return);
    press(main->toolb_Back);
    ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();

    // Before: 120 beers, 240 eggs, 50 pounds of tomatoes, 20 of oil.
    ASSERT_EQ(stock("4001"), 120);
    ASSERT_EQ(stock("9001"), 240);
    const qint64 key = openVisit("A01", "N");
    orderAndCommit(key, "A01", {"6002"});

    QStringList lines;
    QSqlQuery q = kx::db::run(db(), "select item_code, tabl_cons_coun, coalesce(grou_code, '') from TableConsList "
                                    "where tabl_gues_auto_recn = ? order by item_code",
                              {key});
    while (q.next())
        lines << q.value(0).toString() + ' ' + QString::number(q.value(1).toDouble()) + ' ' + q.value(2).toString();
    EXPECT_EQ(lines, QStringList({"1005 2 6002", "2001 1 6002", "4001 6 6002", "6002 1 "}));

    // By hand: 6 beers; two dishes of 3 eggs, half a pound of tomatoes and 0.1 of oil each.
    const struct {
        const char* item;
        double count;
    } expected[] = {
        {"4001", 114}, {"9001", 234}, {"9002", 49}, {"9003", 19.8},
        {"1005", 78},  // 234 eggs / 3
        {"6002", 19},  // 114 beers / 6; the eggs (234 / 6) are more
        {"6001", 78},  // its one egg dish
    };
    for (const auto& e : expected)
        EXPECT_NEAR(stock(e.item), e.count, 1e-9) << e.item;
}

TEST_F(AcrossProgramsTest, RatesSetHereDiscountEachClassOfTheBill) {
    openLeaf("折扣");
    ASSERT_TRUE(setup->adoqry_ConsDiscount->locate("disc_code", QString("V1")));
    QTest::mouseClick(control<QPushButton>("SpeedButton3"), Qt::LeftButton);
    kx::db::Dataset* rates = setup->adoqry_ConsDiscItem;
    QLineEdit* rate = edit("DBEdit11");
    auto rateOf = [&](const QString& cls, const QString& text) {
        ASSERT_TRUE(rates->locate("clas_code", cls));
        rate->setFocus();
        rate->selectAll();
        QTest::keyClicks(rate, text);
        QTest::keyClick(rate, Qt::Key_Return);
    };
    rateOf("C01", "70");
    rateOf("D02", "80");
    ASSERT_TRUE(rates->locate("clas_code", QString("C03")));
    deleteCurrent();
    press(main->toolb_Back);

    const qint64 key = openVisit("A02", "V1");
    // 宫保鸡丁 (C01), 青岛啤酒 (D01, which takes no discount), 可乐 (D02), 米饭 (C03, no longer in the scheme).
    orderAndCommit(key, "A02", {"1001", "4001", "5001", "3001"});
    kx::frontdesk::TDMTable& dm = *desk;
    dm.adoqry_TableGues->refreshCurrent();
    kx::frontdesk::TotalDisc(dm, QString());
    QStringList paid;
    QSqlQuery q = kx::db::run(db(), "select item_code, disc_clas_perc from TableConsList where tabl_gues_auto_recn = ? "
                                    "order by item_code",
                              {key});
    while (q.next())
        paid << q.value(0).toString() + ' ' + q.value(1).toString();
    EXPECT_EQ(paid, QStringList({"1001 70", "3001 100", "4001 100", "5001 80"}));
    // 30 % of 38 and 20 % of 6: 12.6, to the yuan.
    EXPECT_EQ(dm.adoqry_TableGues->field("tabl_gues_disc").asFloat(), 13);
}

// A card issued here is taken at the front desk with its password typed in either case.
TEST_F(AcrossProgramsTest, ACardIssuedHereIsTakenWithItsPasswordInEitherCase) {
    openManageLeaf("会员信息");
    press(main->toolb_Add);
    prompter.clear();
    type("DBEdit64", "6600009");
    auto* box = control<QComboBox>("DBLookupComboBox6");
    box->setCurrentIndex(0);
    emit box->activated(0);
    QTest::mouseClick(control<QAbstractButton>("RadioButton1"), Qt::LeftButton);
    type("DBEdit66", "abc123");
    type("DBEdit69", "LI SI");
    type("DBEdit71", "ACME");
    type("DBEdit72", "2 MAIN ST");
    type("DBEdit73", "13900000000");
    press(main->toolb_Save);
    ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_FALSE(kx::db::scalarText(db(), "select memb_pass from MemberList where memb_card_code = '6600009'")
                     .contains("ABC123"));

    const qint64 key = openVisit("A06", "N");
    kx::frontdesk::TDMTable& dm = frontDesk();
    dm.adoqry_TableGues->setFiltered(false);
    ASSERT_TRUE(dm.adoqry_TableGues->locate("tabl_gues_auto_recn", key));
    kx::frontdesk::Checkout checkout(dm, [](const QString&) { return true; });
    for (const char* typed : {"abc123", "ABC123"})
        EXPECT_TRUE(checkout.chooseMember("6600009", typed)) << typed;
    EXPECT_FALSE(checkout.chooseMember("6600009", "abc12"));
    EXPECT_EQ(prompter.texts(), QStringList({"会员卡号或密码不正确，请重新输入！"}));
    dm.adoqry_TableGues->cancel();
}

// An item imported from a file here is ordered at the front desk by its number.
TEST_F(AcrossProgramsTest, AnImportedItemIsOrderedAtTheFrontDesk) {
    const QString path = dir.path() + "/new.csv";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("分类编码,编码,项目名称,快捷,单位,单价,成本,提成,类型,实价\n"
                           "C01,1101,鱼香肉丝,YXRS,份,28,9,1,单品,\n").toUtf8());
    f.close();
    const kx::backoffice::ItemImport r = kx::backoffice::importItems(db(), path);
    ASSERT_EQ(r.added, 1) << r.problems.join('\n').toStdString();
    const qint64 key = openVisit("A01", "N");
    orderAndCommit(key, "A01", {"1101"});
    EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_cons_coun from TableConsList where tabl_gues_auto_recn = ? "
                                         "and item_code = '1101'",
                                   {key}),
              1);
}

class ThenTheFrontDeskTest : public AcrossProgramsTest {
  protected:
    void TearDown() override {
        if (frontMain) {
            frontMain->SilentExit = true;
            frontMain->close();
            QApplication::processEvents();
            frontWork.reset();
            frontDm.reset();
            frontMain.reset();
            kx::ErrorGuard::configure(kx::ProgramKind::FrontDesk, {});
        }
        AcrossProgramsTest::TearDown();
    }
    void choose(const char* box, const QString& code) {
        auto* b = control<QComboBox>(box);
        const int at = b->findData(code);
        ASSERT_GE(at, 0) << code.toStdString();
        b->setCurrentIndex(at);
        emit b->activated(at);
        QApplication::processEvents();
    }
    void add(const char* leaf, std::initializer_list<std::pair<const char*, const char*>> edits) {
        openLeaf(leaf);
        press(main->toolb_Add);
        for (const auto& [name, text] : edits) {
            if (control<QComboBox>(name)) choose(name, QString::fromUtf8(text));
            else type(name, QString::fromUtf8(text));
        }
        press(main->toolb_Save);
        ASSERT_TRUE(prompter.texts().isEmpty()) << leaf << prompter.texts().join('|').toStdString();
    }
    // The back office closed, the front desk started on the same file and logged in.
    void startFrontDesk(const QString& oper = QStringLiteral("01"), const QString& pass = QStringLiteral("admin")) {
        stop();
        frontMain = std::make_unique<kx::frontdesk::TFormWMain>(path);
        frontWork = std::make_unique<kx::frontdesk::TFormWork>(frontMain.get());
        frontDm = std::make_unique<kx::frontdesk::TDMTable>(frontMain->db());
        frontMain->attach(frontWork.get(), frontDm.get());
        frontWork->attach(frontDm.get());
        frontMain->show();
        QApplication::setActiveWindow(frontMain.get());
        QApplication::processEvents();
        frontWork->dbl_order->setCurrentIndex(0);
        emit frontWork->dbl_order->activated(0);
        QTest::keyClicks(frontWork->editoper, oper);
        QTest::keyClicks(frontWork->editpass, pass);
        QTest::mouseClick(frontWork->SpeedButton5, Qt::LeftButton);
        QApplication::processEvents();
    }
    double visitValue(qint64 key, const char* column) const {
        return kx::db::scalarNumber(frontMain ? frontMain->db() : db(),
                                    QStringLiteral("select %1 from TableGuestlist where tabl_gues_auto_recn = ?")
                                        .arg(QLatin1String(column)),
                                    {key});
    }

    std::unique_ptr<kx::frontdesk::TFormWMain> frontMain;
    std::unique_ptr<kx::frontdesk::TFormWork> frontWork;
    std::unique_ptr<kx::frontdesk::TDMTable> frontDm;
};

TEST_F(ThenTheFrontDeskTest, ATerraceSetUpHereIsOpenedAndChargedAtTheFrontDesk) {
    add("部门", {{"dbe_CodeDept", "04"}, {"DBEdit15", "露台"}});
    // 88 a guest at the minimum; a late band mode whose morning and noon hours are priced.
    add("消费方式", {{"DBEdit29", "07"}, {"DBEdit30", "露台人均"}, {"DBLookupComboBox4", "5"}, {"dbe_ConsMode", "88"}});
    add("消费方式", {{"DBEdit29", "08"}, {"DBEdit30", "露台分时"}, {"DBLookupComboBox4", "9"}});
    QTest::mouseClick(control<QPushButton>("sb_ConsMode"), Qt::LeftButton);
    kx::db::Dataset* bands = setup->adoqry_ConsTimeMode;
    for (const auto& [band, price] : {std::pair{2, "40"}, std::pair{3, "60"}}) {
        bands->setRecNo(band);
        type("DBEdit41", price);
        QTest::keyClick(edit("DBEdit41"), Qt::Key_Return);
    }
    press(main->toolb_Back);
    add("类型", {{"DBEdit12", "07"}, {"DBEdit16", "露台桌"}, {"DBLookupComboBox5", "07"}});
    add("类型", {{"DBEdit12", "08"}, {"DBEdit16", "露台包"}, {"DBLookupComboBox5", "08"}});
    openLeaf("房台");
    ASSERT_TRUE(setup->adoqry_TableDept->locate("dept_code", QString("04")));
    for (const auto& [code, name, tableType] :
         {std::tuple{"T01", "露台1", "07"}, std::tuple{"T02", "露台2", "07"}, std::tuple{"T03", "露台3", "08"}}) {
        press(main->toolb_Add);
        type("DBEdit20", code);
        type("DBEdit19", QString::fromUtf8(name));
        choose("DBLookupComboBox3", tableType);
    }
    press(main->toolb_Save);
    // Only the first "增加" on the empty department told what a new table needs.
    ASSERT_EQ(prompter.texts(), QStringList({"房台[编号]、[名称]、[类型]不能为空！"}));
    prompter.clear();

    // The front desk opens 露台1 while the table screen here still shows it free.
    ASSERT_TRUE(setup->adoqry_Table->locate("tabl_code", QString("T01")));
    kx::frontdesk::TDMTable& dm = frontDesk();
    kx::frontdesk::installOpeningHooks(dm);
    dm.adoqry_table->setFiltered(false);
    ASSERT_TRUE(dm.adoqry_table->locate("tabl_code", QString("T01")));
    dm.adoqry_TableGues->append();
    dm.adoqry_TableGues->field("tabl_gues_coun").setValue(4);
    const qint64 first = kx::frontdesk::openTable(dm);
    EXPECT_EQ(visitValue(first, "tabl_gues_low"), 4 * 88);
    // Renamed here meanwhile: the visit keeps its table.
    type("DBEdit19", QString::fromUtf8("露台一号"));
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    QSqlQuery q = kx::db::run(db(), "select tabl_name, tabl_stat_code, tabl_gues_auto_recn from TableList "
                                    "where tabl_code = 'T01'");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "露台一号");
    EXPECT_EQ(q.value(1).toString(), "2");
    EXPECT_EQ(q.value(2).toLongLong(), first);
    q.finish();
    desk.reset();

    // The cashier's board: the terrace with its tables, 露台一号 in use.
    startFrontDesk();
    kx::frontdesk::TableBoard* board = frontWork->tableBoard;
    auto* depts = board->DBGrid35;
    bool terrace = false;
    for (int r = 0; r < depts->model()->rowCount(); ++r)
        terrace = terrace || depts->model()->index(r, 0).data().toString() == QString::fromUtf8("露台");
    EXPECT_TRUE(terrace);
    QTest::keyClicks(frontWork->EditDict_TableState, "T03");
    kx::db::Dataset* tables = frontDm->adoqry_table;
    ASSERT_EQ(tables->field("tabl_code").asString(), "T03");
    EXPECT_EQ(tables->field("tabl_stat_code").asString(), "1");
    EXPECT_EQ(tables->field("tabltypename").asString(), QString::fromUtf8("露台包"));
    EXPECT_EQ(kx::db::scalarText(frontMain->db(), "select tabl_name from TableList where tabl_code = 'T01'"),
              QString::fromUtf8("露台一号"));

    // 露台3 opened at 10:00 and charged by its bands at 13:30: 2 hours at 40, 1.5 at 60.
    const QPoint cell = board->DBCtrlGrid1->visualRect(board->cells->indexOfRecord(tables->recNo() - 1)).center();
    QTest::mouseClick(board->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(board->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, cell);
    QApplication::processEvents();
    auto* guests = frontWork->registerScreen->DBEdit2;
    guests->setFocus();
    QTest::keyClicks(guests, "2");
    QTest::keyClick(guests, Qt::Key_Plus, Qt::KeypadModifier);
    QApplication::processEvents();
    const qint64 second = frontDm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt();
    ASSERT_GT(second, first);
    kx::Clock::freeze(startTime().addSecs(3 * 3600 + 1800));
    kx::frontdesk::ReTotal(*frontDm);
    EXPECT_EQ(frontDm->adoqry_TableGues->field("tabl_gues_room").asFloat(), 2 * 40 + 1.5 * 60);
}

// A new user's first role: a waiter who may open tables and order, and nothing else.
TEST_F(ThenTheFrontDeskTest, AWaitersRoleOpensAndOrdersButCannotCheckOut) {
    openManageLeaf("员工级别");
    press(main->toolb_Add);
    type("DBEdit42", "06");
    type("DBEdit43", "WAITER");
    press(main->toolb_Save);
    openManageLeaf("权限设置");
    kx::db::Dataset* grants = manage->adoqry_Limited;
    ASSERT_TRUE(manage->adoqry_ManagerType->locate("mana_code", QString("06")));
    auto* grid = control<QTableView>("DBGrid25");
    for (const char* code : {"DP", "BI", "DB"}) {
        ASSERT_TRUE(grants->locate("limi_code", QString(code)));
        const QPoint at = grid->visualRect(grid->model()->index(grants->recNo() - 1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    openManageLeaf("操作员工");
    press(main->toolb_Add);
    // The role has no operator yet: "增加" on its empty list tells what a new one needs.
    EXPECT_EQ(prompter.texts(), QStringList({"员工[编码]、[名称]、[密码]不能为空！"}));
    prompter.clear();
    type("DBEdit44", "66");
    type("DBEdit45", "XIAO WANG");
    type("DBEdit46", "w8ter");
    press(main->toolb_Save);
    ASSERT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();

    startFrontDesk("66", "w8ter");
    ASSERT_TRUE(frontMain->CurrentPanel()->objectName().startsWith("pnl_TableState"));
    auto keypad = [&](int key) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeypadModifier);
        QApplication::processEvents();
    };
    QTest::keyClicks(frontWork->EditDict_TableState, "A05");
    kx::frontdesk::TableBoard* board = frontWork->tableBoard;
    const QPoint cell =
        board->DBCtrlGrid1->visualRect(board->cells->indexOfRecord(frontDm->adoqry_table->recNo() - 1)).center();
    QTest::mouseClick(board->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(board->DBCtrlGrid1->viewport(), Qt::LeftButton, {}, cell);
    QApplication::processEvents();
    ASSERT_EQ(frontMain->CurrentPanel()->objectName(), "pnl_Register");
    frontWork->registerScreen->DBEdit2->setFocus();
    QTest::keyClicks(frontWork->registerScreen->DBEdit2, "2");
    keypad(Qt::Key_Plus);
    ASSERT_EQ(frontMain->CurrentPanel()->objectName(), "pnl_Work");
    keypad(Qt::Key_Plus);
    ASSERT_EQ(frontMain->CurrentPanel()->objectName(), "pnl_ConsItem");
    QLineEdit* number = frontWork->orderScreen->EditDict_Number;
    number->setFocus();
    QTest::keyClicks(number, "1001");
    QTest::keyClick(number, Qt::Key_Return);
    QApplication::processEvents();
    prompter.answer(true);
    keypad(Qt::Key_Asterisk);
    ASSERT_EQ(frontMain->CurrentPanel()->objectName(), "pnl_Work");
    const qint64 key = frontDm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt();
    EXPECT_EQ(kx::db::scalarInt(frontMain->db(), "select count(*) from TableConsList where tabl_gues_auto_recn = ?",
                                {key}),
              1);
    prompter.clear();
    keypad(Qt::Key_Asterisk);
    EXPECT_EQ(prompter.texts(), QStringList({"AP你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(frontMain->CurrentPanel()->objectName(), "pnl_Work");
}

} // namespace
