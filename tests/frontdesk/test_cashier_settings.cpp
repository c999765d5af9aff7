// The cashier settings screen, reached by "设置" on the board: the cashier page (stock threshold,
// kitchen option, tax and rounding) and the bill layout page, "保存回退", "取消回退" and Esc, and
// what the next bill does with what was saved.
#include "CapturedPrints.h"
#include "CashierSettings.h"
#include "PrinterSettingsPage.h"
#include "ReceiptPrinters.h"
#include "CheckoutFixture.h"
#include "InitialData.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QToolBar>

namespace {

using kx::frontdesk::BillLayoutPage;
using kx::frontdesk::CashierSettings;
using kx::frontdesk::SetupPayPage;

class CashierSettingsTest : public kx::test::CheckoutTest {
protected:
    // "设置" on the board.
    void openSettings() {
        QTest::mouseClick(work->toolb_Setup, Qt::LeftButton);
        QApplication::processEvents();
        settings = work->settings.peek();
    }
    SetupPayPage& pay() { return *settings->pay; }
    BillLayoutPage& layout() { return *settings->layout; }
    void openLayout() {
        QTest::mouseClick(settings->pageButton(1), Qt::LeftButton);
        QApplication::processEvents();
    }
    void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    // A closed drop-down moved with the arrow keys until it shows `text`.
    void choose(QComboBox* box, const QString& text) {
        box->setFocus();
        const int target = box->findText(text);
        ASSERT_GE(target, 0) << text.toStdString();
        while (box->currentIndex() != target) {
            const int before = box->currentIndex();
            QTest::keyClick(box, box->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
            ASSERT_NE(box->currentIndex(), before);
        }
        QApplication::processEvents();
    }
    // A caption picked from the list of a caption box, as a click on the item does.
    void pick(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    // Typed where the input method commits Chinese text, the way the cashier's input method does.
    void enter(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
    }
    QVariant stored(const char* table, const QString& column) {
        return kx::db::scalar(db(), QStringLiteral("SELECT %1 FROM %2").arg(column, QLatin1String(table)));
    }
    QVariant pay(const QString& column) { return stored("SetupPay", column); }
    QVariant print(const QString& column) { return stored("setupprint", column); }
    QString panel() const { return main->CurrentPanel() ? main->CurrentPanel()->objectName() : QString(); }
    QString focus() const { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }

    CashierSettings* settings = nullptr;
};

TEST_F(CashierSettingsTest, WithoutItsPermissionNothingOpens) {
    QApplication::processEvents();
    ASSERT_TRUE(work->toolb_Setup->isVisible());
    kx::db::exec(db(), "update Limitedlist set limi_real=0 where limi_code='PS'");
    openSettings();
    EXPECT_EQ(prompter.texts(), QStringList({"PS你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(panel(), "pnl_TableStateG");
    EXPECT_TRUE(work->pnl_TableState->isVisible());
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->pnl_Setup->isVisible());
}

TEST_F(CashierSettingsTest, OpensOnTheCashierPageWithTheAmountOfTheMethodShown) {
    struct Case {
        const char* method;
        bool perGuestEnabled;
    } cases[] = {{"按比例", false}, {"按人数", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        // Stored meanwhile by another desk: the screen shows what is stored now.
        kx::db::exec(db(), "update SetupPay set pay_set_tax_type=?, pay_set_stor_limi=7", {QString(c.method)});
        openSettings();
        EXPECT_EQ(panel(), "pnl_Setup");
        EXPECT_TRUE(pay().pnl_SetupPay->isVisible());
        EXPECT_TRUE(settings->pageButton(0)->isChecked());
        EXPECT_FALSE(settings->pageButton(1)->isChecked());
        EXPECT_EQ(pay().DBComboBox2->currentText(), c.method);
        EXPECT_EQ(pay().dbe_TaxMone->isEnabled(), c.perGuestEnabled);
        EXPECT_EQ(pay().dbe_TaxPerc->isEnabled(), !c.perGuestEnabled);
        EXPECT_EQ(pay().DBEdit16->text(), "7");
        EXPECT_EQ(focus(), "DBEdit16");
        EXPECT_EQ(pay().cmb_ItemInt->currentText(), "保留小数");
        EXPECT_EQ(pay().cmb_SumInt->currentText(), "四舍五入");
        EXPECT_TRUE(pay().DBCheckBox1->isChecked());
        click(settings->ToolButton30);
        EXPECT_EQ(panel(), "pnl_TableState");
    }
    // The pages' toolbar in its order, the commands after them.
    QStringList bar;
    for (QAction* a : settings->ToolBar_Setup->actions())
        if (auto* b = qobject_cast<QToolButton*>(settings->ToolBar_Setup->widgetForAction(a))) bar << b->text();
    EXPECT_EQ(bar, QStringList({"收银设置", "帐单内容", "打印设置", "保存回退", "取消回退", "帮助/信息"}));
}

// "打印设置" is the third page: what is typed there survives a change of page, "保存回退" stores it
// for this desk after the settings rows, "取消回退" stores nothing, and a refused address keeps the
// screen.
TEST_F(CashierSettingsTest, ThePrinterPageIsSavedWithTheOthers) {
    openSettings();
    ASSERT_NE(settings, nullptr);
    click(settings->pageButton(2));
    ASSERT_TRUE(settings->printers->isVisible());
    EXPECT_EQ(settings->printers->objectName(), "pnl_PrnSetup");
    choose(settings->printers->kitchen.kind, "小票打印机");
    enter(settings->printers->kitchen.address, "127.0.0.1:9100");
    openLayout();
    click(settings->pageButton(2));
    EXPECT_EQ(settings->printers->kitchen.address->text(), "127.0.0.1:9100");
    click(settings->ToolButton30);
    EXPECT_FALSE(kx::frontdesk::deskPrinters(db()).kitchen.receipt());

    openSettings();
    click(settings->pageButton(2));
    EXPECT_TRUE(settings->printers->kitchen.address->text().isEmpty());
    choose(settings->printers->kitchen.kind, "小票打印机");
    click(settings->ToolButton28);
    EXPECT_EQ(prompter.last().text, "请输入正确的小票打印机地址！");
    EXPECT_EQ(panel(), "pnl_Setup");
    enter(settings->printers->kitchen.address, "127.0.0.1:9100");
    click(settings->ToolButton28);
    EXPECT_EQ(panel(), "pnl_TableState");
    const auto stored = kx::frontdesk::deskPrinters(db());
    EXPECT_TRUE(stored.kitchen.receipt());
    EXPECT_EQ(stored.kitchen.address, "127.0.0.1:9100");
    EXPECT_FALSE(stored.bill.receipt());
}

TEST_F(CashierSettingsTest, SwitchingTheMethodEmptiesTheAmountOfTheOther) {
    kx::db::exec(db(), "update SetupPay set pay_set_tax_type='按比例', pay_set_tax_perc=10, pay_set_tax_mone=3");
    openSettings();
    EXPECT_EQ(pay().dbe_TaxPerc->text(), "10");

    choose(pay().DBComboBox2, "按人数");
    EXPECT_TRUE(pay().dbe_TaxMone->isEnabled());
    EXPECT_FALSE(pay().dbe_TaxPerc->isEnabled());
    EXPECT_EQ(pay().dbe_TaxPerc->text(), "");
    EXPECT_EQ(focus(), "dbe_TaxMone");
    type(pay().dbe_TaxMone, "2.5");

    choose(pay().DBComboBox2, "按比例");
    EXPECT_FALSE(pay().dbe_TaxMone->isEnabled());
    EXPECT_EQ(pay().dbe_TaxMone->text(), "");
    EXPECT_TRUE(pay().dbe_TaxPerc->isEnabled());
    EXPECT_EQ(focus(), "dbe_TaxPerc");
    type(pay().dbe_TaxPerc, "8");

    click(settings->ToolButton28);
    EXPECT_EQ(panel(), "pnl_TableState");
    EXPECT_EQ(pay("pay_set_tax_type").toString(), "按比例");
    EXPECT_EQ(pay("pay_set_tax_perc").toDouble(), 8);
    // The emptied amount is stored as no tax.
    EXPECT_FALSE(pay("pay_set_tax_mone").isNull());
    EXPECT_EQ(pay("pay_set_tax_mone").toDouble(), 0);
}

TEST_F(CashierSettingsTest, NumericEditsTakeDigitsAndOnePointForAmounts) {
    openSettings();
    struct Case {
        QLineEdit* edit;
        const char* typed;
        const char* shown;
    } cases[] = {{pay().DBEdit16, "1a2.5", "125"}, {pay().dbe_TaxPerc, "1.2.5x", "1.25"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edit->objectName().toStdString());
        type(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown);
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    click(settings->ToolButton28);
    EXPECT_EQ(pay("pay_set_stor_limi").toInt(), 125);
    EXPECT_EQ(pay("pay_set_tax_perc").toDouble(), 1.25);
}

TEST_F(CashierSettingsTest, ATaxRateAndARoundingSavedAreUsedByTheNextBill) {
    openSettings();
    type(pay().dbe_TaxPerc, "10");
    choose(pay().cmb_SumInt, "舍去小数");
    // The kitchen option is stored; nothing reads it yet.
    click(pay().DBCheckBox1);
    click(settings->ToolButton28);
    EXPECT_EQ(pay("pay_set_sum_int").toString(), "舍去小数");
    EXPECT_EQ(pay("pay_set_auto_manu").toInt(), 0);

    seat("A01", "01", 4, {{"1001", "C01", 1, 107}});
    prompter.clear();
    prompter.answer(true);
    enterBill();
    EXPECT_EQ(prompter.texts(), QStringList({"是否给此台桌加税，  [按比例]  收税 ! "}));
    // 10.7 without its fraction; "四舍五入" would have charged 11.
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_tax").asFloat(), 10);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_shou").asFloat(), 117);
}

TEST_F(CashierSettingsTest, CancelDropsTheCashierPageAndKeepsTheUnpostedLayoutForTheNextSave) {
    openSettings();
    type(pay().DBEdit16, "9");
    openLayout();
    EXPECT_TRUE(layout().pnl_PrnBill->isVisible());
    EXPECT_TRUE(settings->pageButton(1)->isChecked());
    EXPECT_FALSE(settings->pageButton(0)->isChecked());
    EXPECT_EQ(focus(), "dbe_set_prn_d1_text");
    enter(layout().dbe_d1, "欢迎下次光临");
    click(layout().flag("set_prn_deta_allo"));
    // Back and forth between the pages keeps what is typed on both.
    click(settings->pageButton(0));
    EXPECT_TRUE(pay().pnl_SetupPay->isVisible());
    EXPECT_EQ(pay().DBEdit16->text(), "9");
    EXPECT_EQ(pay("pay_set_stor_limi").toInt(), 5);
    openLayout();
    EXPECT_EQ(layout().dbe_d1->text(), "欢迎下次光临");
    click(settings->ToolButton30);

    EXPECT_EQ(panel(), "pnl_TableState");
    EXPECT_EQ(pay("pay_set_stor_limi").toInt(), 5);
    EXPECT_EQ(print("set_prn_d1_text").toString(), "谢谢惠顾，欢迎再次光临！");
    EXPECT_EQ(print("set_prn_deta_allo").toInt(), 1);
    // The layout stays as edited, unposted.
    EXPECT_EQ(dm->adoqry_SetupPrint->state(), kx::db::Dataset::Edit);

    openSettings();
    EXPECT_EQ(pay().DBEdit16->text(), "5");
    openLayout();
    EXPECT_EQ(layout().dbe_d1->text(), "欢迎下次光临");
    EXPECT_FALSE(layout().flag("set_prn_deta_allo")->isChecked());
    click(settings->ToolButton28);
    EXPECT_EQ(print("set_prn_d1_text").toString(), "欢迎下次光临");
    EXPECT_EQ(print("set_prn_deta_allo").toInt(), 0);
    EXPECT_EQ(pay("pay_set_stor_limi").toInt(), 5);
}

TEST_F(CashierSettingsTest, EscAnywhereOnTheScreenIsCancel) {
    openSettings();
    QWidget* controls[] = {pay().DBEdit16, pay().DBComboBox2, pay().dbe_TaxPerc, layout().captions[0][0],
                           layout().dbe_d2, layout().flag("set_prn_kind_allo")};
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        openSettings();
        type(pay().DBEdit16, "42");
        if (control->parentWidget() != pay().pnl_SetupPay) openLayout();
        control->setFocus();
        press(Qt::Key_Escape);
        EXPECT_EQ(panel(), "pnl_TableState");
        EXPECT_EQ(dm->adoqry_SetupPay->state(), kx::db::Dataset::Browse);
        EXPECT_EQ(dm->setup.integer("pay_set_stor_limi"), 5);
    }
    // Back on the board, Esc is the board's again: the exit question.
    prompter.clear();
    press(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(), QStringList({"请确定是否退出Kestrix餐饮娱乐管理系统 9.0版!"}));
}

TEST_F(CashierSettingsTest, EachCaptionSetsTheColumnItPrints) {
    openSettings();
    openLayout();
    const auto& table = kx::db::billHeaderSlots();
    for (size_t i = 0; i < table.size(); ++i) {
        // Each caption into the slot after its own default.
        const kx::db::BillHeaderSlot& into = table[(i + 1) % table.size()];
        const QString caption = QString::fromUtf8(table[i].caption);
        SCOPED_TRACE(caption.toStdString());
        const int line = into.slot[0] - '0', position = into.slot[1] - '0';
        QComboBox* box = layout().captions[size_t(line - 1)][size_t(position - 1)];
        EXPECT_EQ(box->objectName(), QStringLiteral("dbc_set_prn_%1_titl").arg(into.slot));
        pick(box, caption);
        EXPECT_EQ(dm->setupPrint.text(QStringLiteral("set_prn_%1_titl").arg(into.slot)), caption);
        EXPECT_EQ(dm->setupPrint.text(QStringLiteral("set_prn_%1_fiel").arg(into.slot)), table[i].column);
    }
    // Another text is the caption; the column stays.
    QComboBox* first = layout().captions[0][0];
    enter(first->lineEdit(), "宾客");
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(dm->setupPrint.text("set_prn_11_titl"), "宾客");
    EXPECT_EQ(dm->setupPrint.text("set_prn_11_fiel"), table.back().column);
    click(settings->ToolButton28);
    EXPECT_EQ(print("set_prn_11_titl").toString(), "宾客");
    EXPECT_EQ(print("set_prn_12_fiel").toString(), "tabl_gues_name");
    EXPECT_EQ(print("set_prn_72_fiel").toString(), "tabl_gues_shou");
}

TEST_F(CashierSettingsTest, DefaultRestoresTheSlotsAndKeepsTheFlags) {
    kx::db::exec(db(), "update setupprint set set_prn_11_titl='宾客', set_prn_11_fiel='tabl_gues_coun', "
                       "set_prn_52_titl='实收金额', set_prn_52_fiel='tabl_gues_fact', set_prn_3_allo=0, "
                       "set_prn_kind_allo=1, set_prn_d2_allo=1");
    dm->adoqry_SetupPrint->refresh();
    openSettings();
    openLayout();
    EXPECT_EQ(layout().captions[0][0]->currentText(), "宾客");
    prompter.answer(false);
    click(layout().SpeedButton15);
    EXPECT_EQ(prompter.texts(), QStringList({"是否重置为默认帐单格式，请确定操作!"}));
    EXPECT_EQ(print("set_prn_11_titl").toString(), "宾客");
    EXPECT_EQ(layout().captions[0][0]->currentText(), "宾客");

    prompter.answer(true);
    click(layout().SpeedButton15);
    // Posted at once.
    EXPECT_EQ(dm->adoqry_SetupPrint->state(), kx::db::Dataset::Browse);
    for (const kx::db::BillHeaderSlot& slot : kx::db::billHeaderSlots()) {
        EXPECT_EQ(print(QStringLiteral("set_prn_%1_titl").arg(slot.slot)).toString(), QString::fromUtf8(slot.caption));
        EXPECT_EQ(print(QStringLiteral("set_prn_%1_fiel").arg(slot.slot)).toString(), slot.column);
    }
    EXPECT_EQ(layout().captions[0][0]->currentText(), "客人姓名");
    EXPECT_EQ(print("set_prn_3_allo").toInt(), 0);
    EXPECT_EQ(print("set_prn_kind_allo").toInt(), 1);
    EXPECT_EQ(print("set_prn_d2_allo").toInt(), 1);
    EXPECT_FALSE(layout().lineAllowed[2]->isChecked());
}

TEST_F(CashierSettingsTest, ALayoutChangeShowsOnTheNextPrintedBill) {
    kx::test::CapturedPrints prints;
    openSettings();
    openLayout();
    pick(layout().captions[0][1], "帐单编号");
    click(layout().flag("set_prn_deta_allo"));
    click(layout().chk_d2);
    enter(layout().dbe_d2, "凭此单开发票");
    click(settings->ToolButton28);

    seat("A01", "01", 4, {{"1001", "C01", 2, 38}});
    enterBill();
    prompter.answer(true);
    press(Qt::Key_Slash, Qt::KeypadModifier);
    ASSERT_EQ(prints.texts.size(), 1) << prompter.texts().join('|').toStdString();
    const QString bill = prints.texts.last();
    // The second item of line 1 now prints the bill number, as line 2 does.
    EXPECT_EQ(bill.count("帐单编号：101"), 2) << bill.toStdString();
    EXPECT_FALSE(bill.contains("客人人数：")) << bill.toStdString();
    EXPECT_FALSE(bill.contains("宫保鸡丁")) << bill.toStdString();
    EXPECT_TRUE(bill.contains("凭此单开发票")) << bill.toStdString();
}

TEST_F(CashierSettingsTest, HelpOpensTheHelpPage) {
    openSettings();
    click(settings->ToolButton29);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown().front().kind, "document");
    EXPECT_TRUE(dialogs.shown().front().title.endsWith("kxhelp.html"));
    EXPECT_EQ(panel(), "pnl_Setup");
}

} // namespace
