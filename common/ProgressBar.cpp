#include "ProgressBar.h"

#include <QProgressBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <algorithm>

namespace kx {

namespace {

constexpr int Step = 10;
constexpr int DefaultWidth = 100;
constexpr int Height = 23;
constexpr int Top = 2;

QWidget* leftmostPanel(QStatusBar* bar) {
    QWidget* found = nullptr;
    for (QWidget* w : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->isHidden() || qobject_cast<QSizeGrip*>(w) || qobject_cast<QProgressBar*>(w)) continue;
        if (!found || w->x() < found->x()) found = w;
    }
    return found;
}

} // namespace

StatusProgress::StatusProgress(QStatusBar* bar, QWidget* panel) {
    if (!panel) panel = leftmostPanel(bar);
    QRect area(0, Top, DefaultWidth, Height);
    if (panel && panel->width() > 0)
        area = QRect(panel->mapTo(bar, QPoint(0, 0)).x(), Top, panel->width(), Height);
    area.setHeight(std::min(Height, std::max(1, bar->height() - Top)));

    progress_ = new QProgressBar(bar);
    progress_->setObjectName(QStringLiteral("StatusProgress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setGeometry(area);
    progress_->raise();
    progress_->show();
    running_.start();
}

StatusProgress::~StatusProgress() {
    delete progress_.data();
}

void StatusProgress::step() { moveTo(value_ + Step); }

void StatusProgress::moveTo(int value) {
    if (!progress_) return;
    value_ = std::clamp(value, 0, progress_->maximum());
    // QProgressBar::setValue paints at once itself: the bar is only given its value when it is
    // to be painted.
    const qint64 now = running_.elapsed();
    if (now < kPaintAfterMs || (paintedAt_ >= 0 && now - paintedAt_ < kPaintEveryMs)) return;
    paintedAt_ = now;
    progress_->setValue(value_);
    progress_->repaint();
}

int StatusProgress::value() const {
    return progress_ ? value_ : 0;
}

} // namespace kx
