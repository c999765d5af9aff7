#include "EnterAsTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

using kx::EnterAsTab;

namespace {

// One form with a control of every kind, in tab order; each is followed by a line edit, so
// "moved on" is always "the next control has the focus".
class EnterAsTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnterAsTab::install();
        auto* layout = new QVBoxLayout(&form);
        auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(name);
            layout->addWidget(w);
            return w;
        };
        edit1 = static_cast<QLineEdit*>(add(new QLineEdit, "edit1"));
        edit2 = static_cast<QLineEdit*>(add(new QLineEdit, "edit2"));
        edit3 = static_cast<QLineEdit*>(add(new QLineEdit, "edit3"));
        auto* editable = new QComboBox;
        editable->setEditable(true);
        add(editable, "editableCombo");
        add(new QLineEdit, "afterEditableCombo");
        auto* combo = new QComboBox;
        combo->addItems({"早班", "晚班"});
        add(combo, "combo");
        add(new QLineEdit, "afterCombo");
        add(new QSpinBox, "spin");
        add(new QLineEdit, "afterSpin");
        add(new QDateEdit, "date");
        add(new QLineEdit, "afterDate");
        add(new QCheckBox("打折"), "check");
        add(new QLineEdit, "afterCheck");
        add(new QTextEdit, "memo");
        add(new QLineEdit, "afterMemo");
        auto* grid = new QTableWidget(2, 2);
        add(grid, "grid");
        add(new QLineEdit, "afterGrid");
        add(new QPushButton("确定"), "button");
        add(new QLineEdit, "afterButton");
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void TearDown() override { EnterAsTab::remove(); }

    QWidget* find(const QString& name) { return form.findChild<QWidget*>(name); }
    // Presses Enter where `name` has the focus; returns the name of the control that has it then.
    QString enterIn(const QString& name) {
        QWidget* w = find(name);
        w->setFocus();
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target, Qt::Key_Return);
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    QWidget form;
    QLineEdit* edit1 = nullptr;
    QLineEdit* edit2 = nullptr;
    QLineEdit* edit3 = nullptr;
};

TEST_F(EnterAsTabTest, EnterMovesAcrossLineEditsAndStillArrives) {
    QSignalSpy first(edit1, &QLineEdit::returnPressed);
    QSignalSpy second(edit2, &QLineEdit::returnPressed);
    edit1->setFocus();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), edit3);

    EXPECT_EQ(first.count(), 1);
    EXPECT_EQ(second.count(), 1);
}

TEST_F(EnterAsTabTest, WhereEnterMovesOnAndWhereItStays) {
    const QList<QPair<QString, QString>> cases{
        {"editableCombo", "afterEditableCombo"},
        {"combo", "afterCombo"},
        {"spin", "afterSpin"},
        {"date", "afterDate"},
        {"check", "afterCheck"},
        {"memo", "memo"}, // a new line in the text
        {"grid", "grid"}, // the grid moves its own current cell
        {"button", "button"},
    };
    for (const auto& [start, expected] : cases)
        EXPECT_EQ(enterIn(start).toStdString(), expected.toStdString()) << start.toStdString();
    EXPECT_EQ(static_cast<QTextEdit*>(find("memo"))->toPlainText(), "\n");
}

TEST_F(EnterAsTabTest, HandlerThatMovesTheFocusItselfDecides) {
    QObject::connect(edit1, &QLineEdit::returnPressed, edit1, [this] { edit3->setFocus(); });
    EXPECT_EQ(enterIn("edit1"), "edit3");
}

TEST_F(EnterAsTabTest, ModifiedEnterAndOtherKeysAreLeftAlone) {
    EXPECT_EQ((edit1->setFocus(), QTest::keyClick(edit1, Qt::Key_Return, Qt::ControlModifier),
               QApplication::focusWidget()),
              edit1);
    QTest::keyClick(edit1, Qt::Key_A);
    EXPECT_EQ(QApplication::focusWidget(), edit1);
    EXPECT_EQ(edit1->text(), "a");
}

TEST_F(EnterAsTabTest, RemovedFilterLeavesEnterToTheControl) {
    EnterAsTab::remove();
    EXPECT_FALSE(EnterAsTab::isInstalled());
    QSignalSpy pressed(edit1, &QLineEdit::returnPressed);
    EXPECT_EQ(enterIn("edit1"), "edit1");
    EXPECT_EQ(pressed.count(), 1);

    EnterAsTab::install();
    EnterAsTab::install(); // twice is once
    EXPECT_EQ(enterIn("edit1"), "edit2");
    EXPECT_EQ(enterIn("edit2"), "edit3");
}

TEST_F(EnterAsTabTest, EnterThatTakesTheFilterAwayKeepsTheFocus) {
    QObject::connect(edit1, &QLineEdit::returnPressed, edit1, [] { EnterAsTab::remove(); });
    EXPECT_EQ(enterIn("edit1"), "edit1");
    EXPECT_EQ(enterIn("edit1"), "edit1"); // and the next Enter is the control's alone
}

} // namespace
