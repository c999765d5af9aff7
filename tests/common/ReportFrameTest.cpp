// The report frame: its lines in order, groups on two levels with their footers, the closing
// summary, and its pages.
#include "ReportFrame.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QPdfWriter>
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

namespace {

// Two sections (the second a report of its own), figures side by side, a subtitle, the chart
// page: the lines in order, and the pages they fall on.
TEST(ReportFrame, SectionsFigureBlocksAndTheChartPage) {
    kx::ReportFrame r("销售分析报表");
    r.setVenue("【金桂园】");
    r.setPeriod("2026-12-01至2026-12-09");
    r.setSubtitle("部门:大厅");
    r.addSection("[收入状况]");
    r.setColumns({{"付款方式", {}, false, Qt::AlignLeft}, {"收入金额", "0.00", true, Qt::AlignRight}});
    r.addRow({"现金", 190.0});
    r.addSection("[消费状况]", kx::ReportFrame::Start::NewReport);
    r.setColumns({{"大类名称", {}, false, Qt::AlignLeft},
                  {"合计金额", "0.00", true, Qt::AlignRight},
                  {"合计成本", "0.00", true, Qt::AlignRight}});
    r.addRow({"酒水", 100.0, 30.0});
    r.addFigureBlocks({{"[营业状况]", {{"帐 单 数：", "2"}, {"人    数：", "6"}}}, {"[总营业额]", {{"应收金额：", "215.00"}}}});
    r.setMade(QDateTime(QDate(2026, 12, 9), QTime(10, 0)), "管理员");
    r.setFooter(kx::ReportFrame::ourFooter());
    kx::BarChart chart("合计金额（按大类）");
    chart.add("酒水", 100);
    r.setChartPage("销售分析图表", {chart});
    const QStringList expected = {
        "销售分析报表", "单位名称：【金桂园】", "统计时段：2026-12-01至2026-12-09\t部门:大厅", "[收入状况]",
        "付款方式\t收入金额", "现金\t190.00", "合计\t190.00",
        "销售分析报表", "单位名称：【金桂园】", "统计时段：2026-12-01至2026-12-09\t部门:大厅", "[消费状况]",
        "大类名称\t合计金额\t合计成本", "酒水\t100.00\t30.00", "合计\t100.00\t30.00", "[营业状况]\t[总营业额]",
        "帐 单 数：2\t应收金额：215.00", "人    数：6\t", "制表时间：2026-12-09 10:00:00    制表人：管理员",
        kx::ReportFrame::ourFooter(), "销售分析图表", "合计金额（按大类）"};
    EXPECT_EQ(linesOf(r), expected) << linesOf(r).join('|').toStdString();

    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("sections.pdf"));
    const kx::ReportDocument doc = r.document();
    writer.setPageLayout(doc.pageLayout());
    EXPECT_EQ(doc.render(&writer), 3);
}

// The axis steps by 1, 2, 2.5 or 5 times a power of ten and covers the values and 0.
TEST(BarChart, TheAxisTicksFallOnRoundNumbers) {
    struct Case {
        double min, max;
        double low, high, step;
    };
    const Case cases[] = {
        {0, 115, 0, 125, 25},   {0, 100, 0, 100, 20},      {0, 0, 0, 1, 0.2},     {0, 1234.5, 0, 1250, 250},
        {-30, 90, -50, 100, 25}, {0, 0.07, 0, 0.08, 0.02}, {0, 48000, 0, 50000, 10000},
    };
    for (const Case& c : cases) {
        const kx::BarChart::Axis a = kx::BarChart::axisFor(c.min, c.max);
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max);
        EXPECT_DOUBLE_EQ(a.low, c.low);
        EXPECT_DOUBLE_EQ(a.high, c.high);
        EXPECT_DOUBLE_EQ(a.step, c.step);
        EXPECT_DOUBLE_EQ(a.ticks().back(), c.high);
    }
}

// Drawn on an image, each bar stands as tall as its value on the axis.
TEST(BarChart, BarsStandAsTallAsTheirValues) {
    kx::BarChart chart("实收金额");
    chart.add("午市", 100);
    chart.add("晚市", 50);
    chart.add("夜宵", 0);
    const QImage image = chart.image(QSize(600, 400));
    const QColor bar = kx::BarChart::barColour();
    // The height of the bar colour in the column through the middle of each slot's bar.
    const auto height = [&](int slot) {
        const QFontMetricsF fm(kx::ReportDocument::defaultFont(), &image);
        const kx::BarChart::Layout l = chart.layout(QRectF(0, 0, 600, 400), fm);
        const int x = int(l.bars[size_t(slot)].center().x());
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) == bar) ++n;
        return n;
    };
    const int tall = height(0), half = height(1);
    EXPECT_GT(tall, 200);
    EXPECT_NEAR(double(half) / tall, 0.5, 0.02);
    EXPECT_EQ(height(2), 0);
}

} // namespace
