// The report frame: its lines in order, groups on two levels with their footers, the closing
// summary, and its pages.
#include "ReportFrame.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList linesOf(const kx::ReportFrame& frame) {
    return frame.document().toPlainText().split('\n');
}

// Two kinds, the first with two classes, the second with one class and no rows; each row
// carries an amount past its three columns.
kx::ReportFrame grouped() {
    kx::ReportFrame r("清单");
    r.setVenue("金桂园");
    r.setColumns({{"名称", {}, false, Qt::AlignLeft},
                  {"数量", "0.##", false, Qt::AlignRight},
                  {"比例", "0.0", false, Qt::AlignRight}});
    const kx::ReportFigure amount{"金额：", kx::ReportFigure::Sum, 3};
    r.setGroups({{"大类：", false,
                  {"合计", {{{}, kx::ReportFigure::Sum, 1, "0.##"}, {{}, kx::ReportFigure::Average, 2, "0.0"}}, true}},
                 {"分类->", true, {{}, {{"笔数：", kx::ReportFigure::Count, 0, "0"}, amount}}}});
    r.setSummary({"总计", {amount}});
    r.startGroup(0, "菜品");
    r.startGroup(1, "热菜");
    r.addRow({"鸡丁", 2, 10.0, 1000.5});
    r.addRow({"排骨", 1.5, QVariant(), 20.25});
    r.startGroup(1, "凉菜");
    r.addRow({"黄瓜", 3, 40.0, 3});
    r.startGroup(0, "酒水");
    r.startGroup(1, "啤酒");
    r.setMade(QDateTime(QDate(2026, 12, 9), QTime(10, 0)), "管理员");
    return r;
}

TEST(ReportFrame, GroupsCloseWithTheFiguresOfTheirOwnRows) {
    const QStringList expected = {
        "清单",
        "单位名称：金桂园",
        "大类：菜品",
        "分类->热菜",
        "名称\t数量\t比例",
        "鸡丁\t2\t10.0",
        "排骨\t1.5\t",
        "笔数：2    金额：1,020.75",
        "分类->凉菜",
        "名称\t数量\t比例",
        "黄瓜\t3\t40.0",
        "笔数：1    金额：3.00",
        // Under the columns; the average leaves out the row without a value.
        "合计\t6.5\t25.0",
        "大类：酒水",
        "分类->啤酒",
        "名称\t数量\t比例",
        // Groups without rows still close: nothing counted, no average.
        "笔数：0    金额：0.00",
        "合计\t0\t",
        "总计    金额：1,023.75",
        "制表时间：2026-12-09 10:00:00    制表人：管理员",
    };
    EXPECT_EQ(linesOf(grouped()), expected) << linesOf(grouped()).join('|').toStdString();
}

TEST(ReportFrame, WithoutGroupsTheCaptionsHeadTheTableAndTheSumsCloseIt) {
    kx::ReportFrame r("单据");
    r.setColumns({{"项目", {}, false, Qt::AlignLeft},
                  {"数量", "0.####", true, Qt::AlignRight},
                  {"金额", "0.00", true, Qt::AlignRight}});
    r.addRow({"甲", 0.125, 1234.5});
    r.addRow({"乙", 0.2, -0.5});
    r.setSumCaption("合计：");
    r.addRemark("操作员工：管理员");
    EXPECT_EQ(linesOf(r), QStringList({"单据", "项目\t数量\t金额", "甲\t0.125\t1,234.50", "乙\t0.2\t-0.50",
                                       "合计：\t0.325\t1,234.00", "操作员工：管理员"}));

    kx::ReportFrame empty("单据");
    empty.setColumns({{"数量", "0.####", true, Qt::AlignRight}});
    empty.setSumCaption("合计：");
    EXPECT_EQ(linesOf(empty), QStringList({"单据", "数量", "合计："}));
}

TEST(ReportFrame, ALongListFillsNumberedPagesQuickly) {
    QTemporaryDir dir;
    kx::ReportFrame r("长清单");
    r.setVenue("金桂园");
    r.setColumns({{"编码", {}, false, Qt::AlignHCenter},
                  {"项目名称", {}, false, Qt::AlignLeft},
                  {"数量", "0.##", false, Qt::AlignRight},
                  {"单价", "0.00", false, Qt::AlignRight}});
    r.setGroups({{"大类：", false, {{}, {{"合计金额：", kx::ReportFigure::Sum, 3}}}},
                 {"分类->", true, {{}, {{"小计金额：", kx::ReportFigure::Sum, 3}}}}});
    for (int i = 0; i < 3000; ++i) {
        if (i % 500 == 0) r.startGroup(0, QString("大类%1").arg(i / 500));
        if (i % 40 == 0) r.startGroup(1, QString("分类%1").arg(i / 40));
        r.addRow({QString("%1").arg(i, 6, 10, QChar('0')), QString("项目名称很长的一道菜%1").arg(i), i % 7, 12.5});
    }
    const QString pdf = dir.filePath("long.pdf");
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(r.document().savePdf(pdf));
    const qint64 ms = timer.elapsed();
    std::printf("3,000 rows to PDF: %lld ms\n", ms);
    EXPECT_LT(ms, 3000);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_GT(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page/") +
                  bytes.count("/Type /Page "),
              40);
}

} // namespace
