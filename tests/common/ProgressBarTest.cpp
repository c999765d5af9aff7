#include "ProgressBar.h"

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class StatusProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(800, 570);
        panel0 = new QLabel;
        panel0->setFixedWidth(250);
        window.statusBar()->addWidget(panel0);
        window.statusBar()->addWidget(new QLabel("【操作员：张三】"));
        window.show();
    }
    int progressBars() { return window.statusBar()->findChildren<QProgressBar*>().size(); }

    QMainWindow window;
    QLabel* panel0 = nullptr;
};

TEST_F(StatusProgressTest, CoversTheFirstPanelAndStepsByTen) {
    kx::StatusProgress progress(window.statusBar());
    QProgressBar* bar = progress.widget();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->x(), panel0->x());
    EXPECT_EQ(bar->width(), panel0->width());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    for (int i = 0; i < 3; ++i)
        progress.step();
    EXPECT_EQ(progress.value(), 30);
    for (int i = 0; i < 20; ++i)
        progress.step();
    EXPECT_EQ(progress.value(), 100); // never beyond the end
}

TEST_F(StatusProgressTest, GoneAfterTheOperationEvenWhenItFails) {
    {
        kx::StatusProgress progress(window.statusBar());
        EXPECT_EQ(progressBars(), 1);
    }
    EXPECT_EQ(progressBars(), 0);

    try {
        kx::StatusProgress progress(window.statusBar());
        progress.step();
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(progressBars(), 0);
}

} // namespace
