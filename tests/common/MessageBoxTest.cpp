// The message boxes the programs really show: caption, Chinese buttons and the default answer.
#include "Prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct BoxSeen {
    QString caption;
    QStringList buttons;
    QString defaultButton;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { kx::installPrompter(nullptr); }
    // Runs `show` while a timer looks at the box and presses a button.
    template <class F>
    BoxSeen run(const QString& press, F&& show) {
        BoxSeen seen;
        QTimer::singleShot(0, [&seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen.caption = box->windowTitle();
            for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
            seen.buttons.sort();
            if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
            QAbstractButton* target = box->defaultButton();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press) target = b;
            if (target) target->click();
        });
        show();
        return seen;
    }
};

TEST_F(MessageBoxTest, QuestionsSayYesAndNoInChineseWithNoAsDefault) {
    bool answer = true;
    BoxSeen seen = run(QString(), [&] { answer = kx::prompter().question("请确定是否退出?"); });
    EXPECT_EQ(seen.caption, kx::ProductTitle);
    EXPECT_EQ(seen.buttons, QStringList({"否(&N)", "是(&Y)"}));
    EXPECT_EQ(seen.defaultButton, "否(&N)");
    EXPECT_FALSE(answer); // the default button is No

    seen = run("是(&Y)", [&] { answer = kx::prompter().question("再来一次?"); });
    EXPECT_TRUE(answer);
    seen = run(QString(), [&] { answer = kx::prompter().questionDefaultYes("落单?"); });
    EXPECT_EQ(seen.defaultButton, "是(&Y)");
    EXPECT_TRUE(answer);
}

TEST_F(MessageBoxTest, NoticesAndErrorsHaveOneOkButton) {
    BoxSeen seen = run(QString(), [] { kx::prompter().information("请选择[班次]！"); });
    EXPECT_EQ(seen.buttons, QStringList({"确定"}));
    EXPECT_EQ(seen.caption, kx::ProductTitle);
    seen = run(QString(), [] { kx::prompter().error("系统发生错误编码[B100001]"); });
    EXPECT_EQ(seen.buttons, QStringList({"确定"}));
}

} // namespace
