// Controls bound to a dataset's fields, driven by keys and clicks as a cashier would.
#include "Binder.h"
#include "ScriptedPrompter.h"
#include "Sql.h"
#include "TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using kx::db::Dataset;

namespace {

class BinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        tdb.run({
            "CREATE TABLE classes (clas_code VARCHAR(3) PRIMARY KEY, clas_name VARCHAR(20))",
            "CREATE TABLE items (item_code VARCHAR(6) PRIMARY KEY, item_name VARCHAR(20), clas_code VARCHAR(3),"
            " price DOUBLE, item_real BOOLEAN DEFAULT 0, made DATETIME)",
            "INSERT INTO classes VALUES ('A', '凉菜'), ('B', '热菜')",
            "INSERT INTO items VALUES ('001', '拍黄瓜', 'A', 12, 0, '2026-12-01 00:00:00')",
            "INSERT INTO items VALUES ('002', '口水鸡', 'B', 28.5, 1, '2026-12-02 10:30:00')",
        });
        classes = new Dataset(tdb.db(), "classes", "select * from classes order by clas_code", &window);
        items = new Dataset(tdb.db(), "items", "select * from items order by item_code", &window);
        classes->open();
        items->open();
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{code, name, price, label, real, made, clas, grid})
            layout->addWidget(w);
        code->setObjectName("dbe_code");
        name->setObjectName("dbe_name");
        price->setObjectName("dbe_price");
        kx::bindLineEdit(code, items, "item_code");
        kx::bindLineEdit(name, items, "item_name");
        kx::bindLineEdit(price, items, "price", "0.00");
        kx::bindLabel(label, items, "price", "0.00");
        kx::bindCheckBox(real, items, "item_real");
        kx::bindDateEdit(made, items, "made");
        kx::bindLookupCombo(clas, items, "clas_code", classes, "clas_code", "clas_name");
        kx::bindGrid(grid, items, {{"item_code", "编号", ""}, {"item_name", "名称", ""}, {"price", "单价", "0.00"}});
        window.show();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
    kx::test::TempDatabase tdb;
    kx::test::ScriptedPrompter prompter;
    QWidget window;
    QLineEdit* code = new QLineEdit;
    QLineEdit* name = new QLineEdit;
    QLineEdit* price = new QLineEdit;
    QLabel* label = new QLabel;
    QCheckBox* real = new QCheckBox;
    QDateTimeEdit* made = new QDateTimeEdit;
    QComboBox* clas = new QComboBox;
    QTableView* grid = new QTableView;
    Dataset* classes = nullptr;
    Dataset* items = nullptr;
};

TEST_F(BinderTest, ControlsShowTheCurrentRowAndFollowAScroll) {
    EXPECT_EQ(code->text(), "001");
    EXPECT_EQ(price->text(), "12.00");
    EXPECT_EQ(label->text(), "12.00");
    EXPECT_FALSE(real->isChecked());
    EXPECT_EQ(clas->currentText(), "凉菜");
    EXPECT_EQ(code->maxLength(), 6); // the column's size
    EXPECT_EQ(name->maxLength(), 20);
    items->next();
    EXPECT_EQ(name->text(), "口水鸡");
    EXPECT_EQ(price->text(), "28.50");
    EXPECT_TRUE(real->isChecked());
    EXPECT_EQ(clas->currentText(), "热菜");
    EXPECT_EQ(made->dateTime(), QDateTime(QDate(2026, 12, 2), QTime(10, 30)));
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

TEST_F(BinderTest, TypingEditsTheRowAndPostingWritesIt) {
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Cucumber salad");
    EXPECT_EQ(items->state(), Dataset::Edit); // the first keystroke puts the dataset into edit
    price->setFocus();                        // leaving the edit hands the text over
    EXPECT_EQ(items->field("item_name").asString(), "Cucumber salad");
    price->selectAll();
    QTest::keyClicks(price, "13.5");
    items->post(); // a post takes what is still being typed
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(tdb.db(), "select price from items where item_code='001'"), 13.5);
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select item_name from items where item_code='001'"), "Cucumber salad");
    EXPECT_EQ(price->text(), "13.50");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "Cucumber salad");
}

TEST_F(BinderTest, TypedTextSurvivesAChangeOfAnotherFieldOfTheRow) {
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Half typed");
    items->field("price").setValue(99); // a handler sets another field meanwhile
    EXPECT_EQ(name->text(), "Half typed");
    EXPECT_EQ(price->text(), "99");
    items->post();
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select item_name from items where item_code='001'"), "Half typed");
    // Cancelling an edit shows the stored value again.
    items->edit();
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Dropped");
    items->cancel();
    EXPECT_EQ(name->text(), "Half typed");
}

TEST_F(BinderTest, AnEditTheProgramFocusesHasItsTextSelected) {
    price->setFocus();
    QTest::keyClicks(price, "7");
    EXPECT_EQ(price->text(), "7"); // typed over, not appended to "12.00"
    items->post();
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(tdb.db(), "select price from items where item_code='001'"), 7.0);
    // A value the program puts into the focused edit is selected as well.
    items->edit();
    items->field("price").setValue(8);
    QTest::keyClicks(price, "9");
    EXPECT_EQ(price->text(), "9");
}

TEST_F(BinderTest, LettersInANumberEditAreRefusedAndTheRowStaysInEdit) {
    price->setFocus();
    price->selectAll();
    QTest::keyClicks(price, "abc");
    EXPECT_THROW(items->post(), kx::ConversionError);
    EXPECT_EQ(items->state(), Dataset::Edit);
    EXPECT_EQ(price->text(), "abc");
    // Leaving the edit shows the friendly message through the error guard.
    name->setFocus();
    EXPECT_EQ(prompter.last().text, "输入的数值无效，请重新输入！");
}

TEST_F(BinderTest, CheckBoxDateAndLookupBoxWriteTheirField) {
    QTest::mouseClick(real, Qt::LeftButton, {}, QPoint(5, real->height() / 2));
    EXPECT_EQ(items->state(), Dataset::Edit);
    EXPECT_TRUE(items->field("item_real").asBool());
    clas->setCurrentIndex(1);
    emit clas->activated(1);
    EXPECT_EQ(items->field("clas_code").asString(), "B"); // stores the key, shows the name
    made->setDateTime(QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    EXPECT_EQ(items->field("made").asDateTime(), QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    items->post();
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select clas_code||item_real||made from items where item_code='001'"),
              "B12026-12-09 08:00:00");
}

TEST_F(BinderTest, ClickingAGridRowMovesTheDataset) {
    grid->setCurrentIndex(grid->model()->index(1, 0));
    EXPECT_EQ(items->recNo(), 2);
    EXPECT_EQ(code->text(), "002");
    // Moving off a changed row posts it first.
    items->edit();
    items->field("price").setValue(30);
    grid->setCurrentIndex(grid->model()->index(0, 0));
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(tdb.db(), "select price from items where item_code='002'"), 30.0);
}

} // namespace
