// Bills and kitchen tickets on this desk's receipt printers: the bill as text on 58 and 80 mm,
// the ESC/POS bytes against golden files, the preview, "后厨" straight to the kitchen printer,
// the automatic ticket of each commit, the printer settings per host and their page.
#include "BillPrint.h"
#include "CapturedPrints.h"
#include "CheckoutFixture.h"
#include "KitchenList.h"
#include "OrderFixture.h"
#include "PrinterSettingsPage.h"
#include "Receipt.h"
#include "ReceiptPeers.h"
#include "ReceiptPrinters.h"
#include "Schema.h"
#include "TestDb.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QRegularExpression>
#include <QSpinBox>

namespace {

using kx::Receipt;
using kx::frontdesk::DeskPrinter;
using kx::frontdesk::DeskPrinters;
using kx::frontdesk::PrinterKind;
using kx::test::DeviceFile;
using kx::test::OrderLine;
using kx::test::PrinterPeer;

DeskPrinter receiptPrinter(int paperMm, const QString& address, bool cutter = true) {
    return {PrinterKind::Receipt, paperMm, kx::frontdesk::defaultColumns(paperMm), address, cutter};
}

// This desk's printers as the settings page stores them.
void setPrinters(QSqlDatabase db, const DeskPrinters& printers) {
    kx::frontdesk::storeDeskPrinters(db, kx::frontdesk::deskHostName(), printers);
}

// The bytes of a golden file; with KX_UPDATE_GOLDEN set, `actual` is written as the new one.
QByteArray golden(const QString& name, const QByteArray& actual) {
    const QString path = QStringLiteral(KX_GOLDEN_DIR "/") + name;
    if (qEnvironmentVariableIsSet("KX_UPDATE_GOLDEN")) {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly)) out.write(actual);
    }
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// ---------------------------------------------------------------- the bill as text

// A bill whose names are longer than any paper's column.
kx::frontdesk::BillContent longBill() {
    using namespace kx::frontdesk;
    BillContent b;
    b.shortName = QStringLiteral("金桂园大酒店");
    b.englishName = QStringLiteral("Golden Osmanthus Grand Restaurant and Entertainment");
    b.businessDay = QStringLiteral("营业日期：2026-12-09");
    b.cashier = QStringLiteral("结帐员工：管理员");
    b.linesAbove = {{{"客人姓名：", "欧阳先生"}, {"客人人数：", "12"}},
                    {{"开台时间：", "12-09 09:00"}, {"结帐时间：", "12-09 10:00"}}};
    b.linesBelow = {{{"应收金额：", "12966.00"}, {"实收金额：", "12966.00"}}};
    b.kinds = {{QStringLiteral("菜品"),
                {{QStringLiteral("特级秘制金牌脆皮烤乳猪拼深海大龙虾刺身（时价）"), QStringLiteral("例份"),
                  1288, 10, 12880},
                 {QStringLiteral("宫保鸡丁"), QStringLiteral("份"), 38, 2, 76}},
                12,
                12956},
               {QStringLiteral("酒水"),
                {{QStringLiteral("Coca-Cola Zero Sugar 330ml can"), QStringLiteral("罐"), 5, 2, 10}},
                2,
                10}};
    b.giftTotal = 0;
    b.count = 14;
    b.total = 12966;
    b.notes = {QStringLiteral("付款明细：现金10000 会员卡2966 "),
               QStringLiteral("会员余额： 消费前金额-5000 消费后金额-2034"),
               QStringLiteral("谢谢惠顾，欢迎再次光临！本店提供免费停车与无线网络，欢迎团体预订。")};
    b.venueLine = QStringLiteral("金桂园餐饮娱乐有限公司 电话：0571-88886666");
    return b;
}

TEST(BillReceipt, EveryLineFitsThePaperAndAmountsEndOnItsLastColumn) {
    const QRegularExpression amount(QStringLiteral("\\d\\.\\d\\d$"));
    for (const int columns : {32, 48}) {
        SCOPED_TRACE(columns);
        const Receipt r = kx::frontdesk::billReceipt(longBill(), columns);
        int amounts = 0;
        for (const kx::ReceiptLine& l : r.lines()) {
            EXPECT_LE(r.widthOnPaper(l), columns) << r.placed(l).toStdString();
            // An amount of the item part (the header lines end on their values instead).
            if (amount.match(r.placed(l)).hasMatch() && !l.text.contains(QStringLiteral("："))) {
                ++amounts;
                EXPECT_EQ(r.widthOnPaper(l), columns) << r.placed(l).toStdString();
            }
        }
        // Three items, two kind footers, the gifts and the total.
        EXPECT_EQ(amounts, 3 + 2 + 2) << r.plainText().toStdString();
        const QString text = r.plainText();
        for (const char* part : {"项目名称", "单位", "单价", "数量", "金额", "菜品 小计", "赠单合计", "合计",
                                 "12966.00", "客人姓名：欧阳先生", "营业日期：2026-12-09"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
        // The long name wraps and loses nothing (on 80 mm its first line carries the row's other cells).
        QString joined = text;
        joined.remove(QRegularExpression(QStringLiteral("\\s")))
            .remove(QStringLiteral("例份1288.001012880.00"));
        EXPECT_TRUE(joined.contains(QStringLiteral("特级秘制金牌脆皮烤乳猪拼深海大龙虾刺身（时价）")));
    }
    // 80 mm: an item on one line; 58 mm: its name alone, then unit, price, quantity, amount.
    const QStringList wide = kx::frontdesk::billReceipt(longBill(), 48).plainText().split('\n');
    const QStringList narrow = kx::frontdesk::billReceipt(longBill(), 32).plainText().split('\n');
    EXPECT_TRUE(wide.contains(QStringLiteral("宫保鸡丁          份      38.00      2     76.00")))
        << wide.join('\n').toStdString();
    const int at = int(narrow.indexOf(QStringLiteral("宫保鸡丁")));
    ASSERT_GE(at, 0) << narrow.join('\n').toStdString();
    EXPECT_EQ(narrow.value(at + 1), QStringLiteral("  份      38.00      2     76.00"));
}

// ---------------------------------------------------------------- the bill screen

class ReceiptBillTest : public kx::test::CheckoutTest {
  protected:
    void SetUp() override {
        CheckoutTest::SetUp();
        kx::db::exec(db(), "UPDATE SetupPay SET user_name_s = '金桂园', user_name_e = 'Golden Osmanthus', "
                           "user_name = '金桂园餐饮娱乐有限公司', user_tele = '0571-88886666'");
        dm->adoqry_SetupPay->reload();
        kx::db::exec(db(), "UPDATE setupprint SET set_prn_pay_allo = 1, set_prn_zero_allo = 1");
        dm->adoqry_SetupPrint->refresh();
    }
    // "打印 /" answered Yes.
    void printByKey() {
        prompter.answer(true);
        press(Qt::Key_Slash, Qt::KeypadModifier);
    }
    const std::vector<OrderLine> lines = {
        {"1001", "C01", 2, 38}, {"2001", "C02", 1, 11}, {"5001", "D02", 3, 6}};
    DeviceFile device;
};

TEST_F(ReceiptBillTest, ThePrintedBillIsTheGoldenStreamOnBothWidths) {
    const struct {
        int paperMm;
        const char* file;
    } cases[] = {{58, "bill-58.bin"}, {80, "bill-80.bin"}};
    qint64 key = 101;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paperMm);
        setPrinters(db(), {receiptPrinter(c.paperMm, device.path), {}});
        seat(key == 101 ? "A01" : "A02", "01", 4, lines, key);
        enterBill();
        typeAmount("Z", "200");
        prompter.clear();
        printByKey();
        EXPECT_EQ(prompter.texts(), QStringList{"请确认是否进行打印帐单处理，请选择(是/否)！"});
        const QByteArray bytes = device.newBytes();
        EXPECT_EQ(bytes.toHex(' '), golden(QString::fromLatin1(c.file), bytes).toHex(' '));
        EXPECT_TRUE(bytes.contains(kx::receiptBytes(QStringLiteral("找零明细：收款金额-200"))));
        EXPECT_TRUE(dialogs.shown().isEmpty());
        // Printing stores nothing.
        EXPECT_TRUE(payLines(key).isEmpty());
        press(Qt::Key_Escape);
        press(Qt::Key_Escape);
        ++key;
    }
}

TEST_F(ReceiptBillTest, APrinterThatFailsSaysSoAndNeedsNoSystemPrinter) {
    // No system printer at all: the receipt printer is the desk's own.
    kx::test::CapturedPrints system;
    system.printer = false;
    setPrinters(db(), {receiptPrinter(80, device.dir.path() + "/usb/lp9"), {}});
    seat("A01", "01", 4, lines);
    enterBill();
    printByKey();
    EXPECT_EQ(prompter.texts(),
              (QStringList{"请确认是否进行打印帐单处理，请选择(是/否)！",
                           "小票打印机[" + device.dir.path() + "/usb/lp9]不能打印，请检查打印机！"}));
    EXPECT_TRUE(system.texts.isEmpty());
}

TEST_F(ReceiptBillTest, ThePreviewShowsThePaperAndItsPrintButtonSendsTheStream) {
    setPrinters(db(), {receiptPrinter(58, device.path), {}});
    seat("A01", "01", 4, lines);
    enterBill();
    typeAmount("Z", "200");
    printByKey();
    const QByteArray printed = device.newBytes();
    ASSERT_FALSE(printed.isEmpty());

    QString title;
    QSize paper;
    dialogs.handle([&](QDialog* preview) {
        title = preview->windowTitle();
        if (QWidget* view = preview->findChild<QWidget*>("ReceiptPaper")) paper = view->size();
        if (const QString shots = qEnvironmentVariable("KX_SCREENSHOTS"); !shots.isEmpty()) {
            preview->show();
            QTest::qWait(200);
            preview->grab().save(shots + "/receipt_preview_58.png");
        }
        QAction* print = preview->findChild<QAction*>("actionPrint");
        EXPECT_NE(print, nullptr);
        if (print) print->trigger();
        return preview->result();
    });
    press(Qt::Key_F10);
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].objectName, "ReceiptPreview");
    EXPECT_EQ(title, "帐单");
    // 32 columns of 10 pixels on a roll of 58 mm.
    EXPECT_GT(paper.width(), 320);
    EXPECT_LT(paper.width(), 420);
    EXPECT_EQ(device.newBytes(), printed);
    // A preview shown for a screenshot took the window system's focus with it.
    QApplication::setActiveWindow(main.get());
    bill->DBEdit14->setFocus();

    // "保存PDF" writes the receipt as it shows.
    const QString pdf = device.dir.path() + "/帐单.pdf";
    dialogs.handle([](QDialog* preview) {
        if (QAction* save = preview->findChild<QAction*>("actionSavePdf")) save->trigger();
        return preview->result();
    });
    dialogs.fileName(pdf);
    press(Qt::Key_F10);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
    EXPECT_TRUE(device.newBytes().isEmpty());
}

// ---------------------------------------------------------------- the kitchen

class ReceiptKitchenTest : public kx::test::OrderTest {
  protected:
    void SetUp() override {
        OrderTest::SetUp();
        key = openVisit("A01");
    }
    // Orders 2 宫保鸡丁 with 少辣, a beer (bar) and the set menu with its cucumber, committed.
    void orderFirstRound() {
        openOrderScreen();
        pickByNumber("1001");
        typeQuantity("2");
        screen->dbl_Narr->setFocus();
        screen->dbl_Narr->setCurrentIndex(0); // 少辣
        emit screen->dbl_Narr->activated(0);
        pickByNumber("4001");
        pickByNumber("6002");
        commitPad();
    }
    qint64 sentLines() const {
        return kx::db::scalarInt(
            db(), "SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ? AND tabl_cons_tran <> 0",
            {key});
    }
    qint64 allLines() const {
        return kx::db::scalarInt(db(), "SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ?",
                                 {key});
    }
    void autoKitchen(bool on) {
        kx::db::exec(db(), "UPDATE SetupPay SET pay_set_auto_manu = ?", {on ? 1 : 0});
        dm->adoqry_SetupPay->reload();
    }
    qint64 key = 0;
};

TEST_F(ReceiptKitchenTest, TheKitchenButtonSendsTheGoldenTicketStraightOnBothWidths) {
    const struct {
        int paperMm;
        const char* file;
    } cases[] = {{58, "kitchen-58.bin"}, {80, "kitchen-80.bin"}};
    orderFirstRound();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paperMm);
        kx::db::exec(db(), "UPDATE TableConsList SET tabl_cons_tran = 0");
        PrinterPeer kitchen;
        setPrinters(db(), {{}, receiptPrinter(c.paperMm, kitchen.address(), c.paperMm == 80)});
        prompter.clear();
        main->runAction("work.kitchen");
        const QByteArray bytes = kitchen.received();
        EXPECT_EQ(bytes.toHex(' '), golden(QString::fromLatin1(c.file), bytes).toHex(' '));
        EXPECT_TRUE(dialogs.shown().isEmpty());
        EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
        // Every line of the visit is marked, as after a printed ticket.
        EXPECT_EQ(sentLines(), allLines());
        EXPECT_TRUE(dm->adoqry_TableCons->field("tabl_cons_tran").asBool());
    }
}

TEST_F(ReceiptKitchenTest, ARefusedConnectionShowsTheMessageAndLeavesTheLinesUnsent) {
    const QString address = kx::test::refusingAddress();
    setPrinters(db(), {{}, receiptPrinter(80, address)});
    // Nothing for the kitchen yet: nothing is sent, and the cashier is told.
    main->runAction("work.kitchen");
    EXPECT_EQ(prompter.texts(), QStringList{"没有需要送后厨的项目！"});
    orderFirstRound();
    prompter.clear();
    main->runAction("work.kitchen");
    EXPECT_EQ(prompter.texts(), QStringList{"小票打印机[" + address + "]不能打印，请检查打印机！"});
    EXPECT_EQ(sentLines(), 0);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(ReceiptKitchenTest, EachCommitSendsTheTicketOfItsOwnLinesAndMarksThem) {
    DeviceFile device;
    setPrinters(db(), {{}, receiptPrinter(80, device.path)});
    autoKitchen(true);
    orderFirstRound();
    const QByteArray first = device.newBytes();
    EXPECT_TRUE(first.contains(kx::receiptBytes("宫保鸡丁")));
    EXPECT_TRUE(first.contains(kx::receiptBytes("拍黄瓜")));
    EXPECT_FALSE(first.contains(kx::receiptBytes("青岛啤酒")));
    EXPECT_EQ(sentLines(), allLines());
    const qint64 afterFirst = allLines();

    orderAndCommit({{"2002", "1", Qt::Key_F5}});
    const QByteArray second = device.newBytes();
    EXPECT_TRUE(second.contains(kx::receiptBytes("凉拌木耳")));
    EXPECT_FALSE(second.contains(kx::receiptBytes("宫保鸡丁")));
    EXPECT_EQ(allLines(), afterFirst + 1);
    EXPECT_EQ(sentLines(), allLines());

    // A commit of nothing for the kitchen sends nothing and marks nothing.
    orderAndCommit({{"4001", "1", Qt::Key_F5}});
    EXPECT_TRUE(device.newBytes().isEmpty());
    EXPECT_EQ(sentLines(), allLines() - 1);
    EXPECT_TRUE(prompter.texts().filter("小票打印机").isEmpty());

    // With the option off a commit sends nothing.
    autoKitchen(false);
    orderAndCommit({{"1002", "1", Qt::Key_F5}});
    EXPECT_TRUE(device.newBytes().isEmpty());
    EXPECT_EQ(sentLines(), allLines() - 2);
}

TEST_F(ReceiptKitchenTest, AFailingPrinterLeavesTheCommitStoredAndItsLinesForTheKitchenButton) {
    DeviceFile device;
    const QString missing = device.dir.path() + "/usb/lp1";
    setPrinters(db(), {{}, receiptPrinter(58, missing)});
    autoKitchen(true);
    orderFirstRound();
    EXPECT_EQ(prompter.texts().last(), "小票打印机[" + missing + "]不能打印，请检查打印机！");
    EXPECT_EQ(allLines(), 5);
    EXPECT_EQ(sentLines(), 0);
    EXPECT_EQ(currentPanel(), "pnl_Work");
    // The printer back: "后厨" sends what the commit could not.
    setPrinters(db(), {{}, receiptPrinter(58, device.path)});
    main->runAction("work.kitchen");
    const QByteArray bytes = device.newBytes();
    EXPECT_TRUE(bytes.contains(kx::receiptBytes("宫保鸡丁")));
    EXPECT_EQ(sentLines(), 5);
}

// ---------------------------------------------------------------- the settings

TEST(DeskPrinterSettings, EachHostKeepsItsOwnRow) {
    kx::test::TempDatabase venue;
    kx::db::prepareDatabase(venue.db(), false, QDate(2026, 12, 9));
    QSqlDatabase db = venue.db();
    const DeskPrinters none = kx::frontdesk::loadDeskPrinters(db, "desk-a");
    EXPECT_EQ(none, DeskPrinters{});
    EXPECT_EQ(none.bill.kind, PrinterKind::System);

    const DeskPrinters a{receiptPrinter(58, "/dev/usb/lp0", false), receiptPrinter(80, "192.168.1.60:9101")};
    const DeskPrinters b{{}, {PrinterKind::Receipt, 80, 42, "kitchen", true}};
    kx::frontdesk::storeDeskPrinters(db, "desk-a", a);
    kx::frontdesk::storeDeskPrinters(db, "desk-b", b);
    EXPECT_EQ(kx::frontdesk::loadDeskPrinters(db, "desk-a"), a);
    EXPECT_EQ(kx::frontdesk::loadDeskPrinters(db, "desk-b"), b);
    // Storing again changes the host's row only.
    DeskPrinters changed = a;
    changed.bill = {};
    kx::frontdesk::storeDeskPrinters(db, "desk-a", changed);
    EXPECT_EQ(kx::frontdesk::loadDeskPrinters(db, "desk-a"), changed);
    EXPECT_EQ(kx::frontdesk::loadDeskPrinters(db, "desk-b"), b);
    EXPECT_EQ(kx::db::scalarInt(db, "SELECT count(*) FROM PrinterList"), 2);
}

class PrinterPageTest : public kx::test::FrontDeskTest {
  protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        kx::db::exec(db(), "UPDATE SetupPay SET user_name = '金桂园餐饮娱乐有限公司'");
        dm->adoqry_SetupPay->reload();
        page = std::make_unique<kx::frontdesk::PrinterSettingsPage>(dm.get());
        page->resize(760, 420);
        page->show();
        QApplication::setActiveWindow(page.get());
        QApplication::processEvents();
    }
    void TearDown() override {
        page.reset();
        FrontDeskTest::TearDown();
    }
    // Chooses an entry of a drop-down with the keyboard.
    void choose(QComboBox* box, const QString& text) {
        box->setFocus();
        while (box->currentText() != text && box->currentIndex() < box->count() - 1)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentText() != text && box->currentIndex() > 0)
            QTest::keyClick(box, Qt::Key_Up);
        emit box->activated(box->currentIndex());
        QApplication::processEvents();
    }
    void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    std::unique_ptr<kx::frontdesk::PrinterSettingsPage> page;
    DeviceFile device;
};

TEST_F(PrinterPageTest, TheManagerSetsUpAReceiptPrinterTestsItAndSavesIt) {
    auto& bill = page->bill;
    auto& kitchen = page->kitchen;
    EXPECT_EQ(page->lbl_PrinterHost->text(), "本机：" + kx::frontdesk::deskHostName());
    EXPECT_EQ(bill.kind->currentText(), "系统打印机");
    EXPECT_EQ(kitchen.kind->currentText(), "系统打印机");
    for (QWidget* w :
         std::initializer_list<QWidget*>{bill.paper, bill.columns, bill.address, bill.cutter, bill.test})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    choose(bill.kind, "小票打印机");
    EXPECT_TRUE(bill.test->isEnabled());
    choose(bill.paper, "58mm");
    EXPECT_EQ(bill.columns->value(), 32);
    type(bill.address, device.path);
    if (const QString shots = qEnvironmentVariable("KX_SCREENSHOTS"); !shots.isEmpty())
        page->grab().save(shots + "/printer_settings.png");
    bill.cutter->setFocus();
    QTest::keyClick(bill.cutter, Qt::Key_Space);
    QTest::mouseClick(bill.test, Qt::LeftButton);
    const QByteArray test = device.newBytes();
    // The venue's name in double size takes two lines of 16.
    EXPECT_TRUE(test.contains(kx::receiptBytes("金桂园餐饮娱乐有") + "\n" + kx::receiptBytes("限公司")));
    EXPECT_TRUE(test.contains("12345678901234567890123456789012\n"));
    EXPECT_FALSE(test.contains("123456789012345678901234567890123"));
    EXPECT_TRUE(test.endsWith("\x1D"
                              "V\x01")); // the cutter cuts
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    // Not stored until saved.
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM PrinterList"), 0);

    // A receipt kitchen printer without its address is refused, and nothing is stored.
    choose(kitchen.kind, "小票打印机");
    EXPECT_FALSE(page->save());
    EXPECT_EQ(prompter.texts(), QStringList{"请输入正确的小票打印机地址！"});
    EXPECT_EQ(QApplication::focusWidget(), kitchen.address);
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM PrinterList"), 0);
    type(kitchen.address, "192.168.1.60");
    kitchen.columns->setFocus();
    kitchen.columns->selectAll();
    QTest::keyClicks(kitchen.columns, "42");
    ASSERT_TRUE(page->save());

    const DeskPrinters stored = kx::frontdesk::deskPrinters(db());
    EXPECT_EQ(stored.bill, (DeskPrinter{PrinterKind::Receipt, 58, 32, device.path, true}));
    EXPECT_EQ(stored.kitchen, (DeskPrinter{PrinterKind::Receipt, 80, 42, "192.168.1.60", false}));
    // A page opened afterwards shows what was stored.
    kx::frontdesk::PrinterSettingsPage again(dm.get());
    EXPECT_EQ(again.shown(), stored);
    EXPECT_EQ(again.bill.paper->currentText(), "58mm");

    // Back to the system's printer: the address stays for next time, the printer is not used.
    choose(bill.kind, "系统打印机");
    ASSERT_TRUE(page->save());
    EXPECT_FALSE(kx::frontdesk::deskPrinters(db()).bill.receipt());
}

TEST_F(PrinterPageTest, ATestOnAPrinterThatIsNotThereShowsTheMessage) {
    choose(page->kitchen.kind, "小票打印机");
    const QString missing = device.dir.path() + "/nothing/lp0";
    type(page->kitchen.address, missing);
    QTest::mouseClick(page->kitchen.test, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList{"小票打印机[" + missing + "]不能打印，请检查打印机！"});
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM PrinterList"), 0);
}

} // namespace
