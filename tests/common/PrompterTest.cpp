#include "Prompter.h"
#include "ScriptedPrompter.h"

#include <QDialog>
#include <QLineEdit>
#include <gtest/gtest.h>

using kx::test::ScriptedModalHost;
using kx::test::ScriptedPrompter;

namespace {

TEST(ScriptedPrompter, AnswersQuestionsInOrderThenNo) {
    ScriptedPrompter p;
    p.answers({true, false});
    p.answer(true);

    const QList<bool> got{kx::ask("q1"), kx::ask("q2"), kx::askDefaultYes("q3"), kx::ask("q4")};

    EXPECT_EQ(got, (QList<bool>{true, false, true, false}));
    EXPECT_EQ(p.unanswered(), 1); // q4 found the queue empty
    EXPECT_EQ(p.pendingAnswers(), 0);
    EXPECT_FALSE(p.boxes()[0].yesIsDefault);
    EXPECT_TRUE(p.boxes()[2].yesIsDefault);
}

TEST(ScriptedPrompter, RecordsEveryBoxWithKindAndCaption) {
    ScriptedPrompter p;
    kx::inform("i");
    kx::fail("e");
    kx::ask("q");
    kx::inform(kx::SeriesTitle, "c");

    EXPECT_EQ(p.kinds(), (QStringList{"information", "error", "question", "information"}));
    EXPECT_EQ(p.texts(), (QStringList{"i", "e", "q", "c"}));
    EXPECT_EQ(p.boxes()[0].caption, kx::ProductTitle);
    EXPECT_EQ(p.last().caption, QStringLiteral("Kestrix餐饮管理系列"));
    p.clear();
    EXPECT_TRUE(p.boxes().isEmpty());
    EXPECT_TRUE(p.last().text.isEmpty());
}

TEST(ScriptedPrompter, NestedInstallsRestoreTheOuterOne) {
    kx::Prompter* const standard = &kx::prompter();
    {
        ScriptedPrompter outer;
        {
            ScriptedPrompter inner;
            kx::inform("to inner");
            EXPECT_EQ(inner.texts(), QStringList{"to inner"});
        }
        kx::inform("to outer");
        EXPECT_EQ(outer.texts(), QStringList{"to outer"});
    }
    EXPECT_EQ(&kx::prompter(), standard);
}

TEST(ScriptedPrompter, HookSeesTheBoxWhileItIsShown) {
    ScriptedPrompter p;
    QStringList seen;
    p.onBox([&](const ScriptedPrompter::Box& b) { seen << b.kind + ":" + b.text; });
    kx::ask("sure?");
    EXPECT_EQ(seen, QStringList{"question:sure?"});
}

TEST(ScriptedModalHost, RecordsDialogsAndAnswersFromTheQueue) {
    ScriptedModalHost host;
    QDialog dialog;
    dialog.setObjectName("dlg_Print");
    dialog.setWindowTitle("打印");
    auto* edit = new QLineEdit(&dialog);
    host.result(QDialog::Accepted);
    host.handle([edit](QDialog* d) {
        edit->setText("filled");
        d->done(7);
        return d->result();
    });

    EXPECT_EQ(kx::modalHost().exec(&dialog), QDialog::Accepted);
    EXPECT_EQ(kx::modalHost().exec(&dialog), 7);
    EXPECT_EQ(edit->text(), "filled");
    EXPECT_EQ(kx::modalHost().exec(&dialog), QDialog::Rejected); // nothing queued
    EXPECT_EQ(host.unanswered(), 1);
    ASSERT_EQ(host.shown().size(), 3);
    EXPECT_EQ(host.shown()[0].objectName, "dlg_Print");
    EXPECT_EQ(host.shown()[0].title, "打印");
    EXPECT_EQ(host.shown()[0].className, "QDialog");
}

TEST(ScriptedModalHost, FileChoosersTakeQueuedNamesAndCancelWithout) {
    kx::ModalHost* const standard = &kx::modalHost();
    {
        ScriptedModalHost host;
        host.fileName("/tmp/a.bak");
        EXPECT_EQ(kx::modalHost().saveFileName(nullptr, "备份"), "/tmp/a.bak");
        EXPECT_EQ(kx::modalHost().openFileName(nullptr, "恢复"), QString());
        EXPECT_TRUE(kx::modalHost().openDocument("/opt/kx/kxhelp.chm"));
        ASSERT_EQ(host.shown().size(), 3);
        EXPECT_EQ(host.shown()[1].kind, "open");
        EXPECT_EQ(host.shown()[2].title, "/opt/kx/kxhelp.chm");
    }
    EXPECT_EQ(&kx::modalHost(), standard);
}

} // namespace
