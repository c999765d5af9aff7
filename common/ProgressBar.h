#pragma once
// The progress bar of a long operation, laid over the first panel of the status bar for as long
// as the operation runs (also when it ends by an exception).
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>


class QStatusBar;
class QWidget;

namespace kx {

class StatusProgress {
  public:
    // Covers `panel` (a widget of the status bar); without one, the leftmost widget of the
    // status bar, or its first 100 pixels when it has none.
    explicit StatusProgress(QStatusBar* bar, QWidget* panel = nullptr);
    ~StatusProgress();
    StatusProgress(const StatusProgress&) = delete;
    StatusProgress& operator=(const StatusProgress&) = delete;

    // Advances one step (10 of 100). The bar is painted at once only when the operation has
    // already run long enough for the cashier to look at it (kPaintAfterMs, then at most every
    // kPaintEveryMs): an immediate paint flushes everything waiting to be painted in the window,
    // which would double the cost of the quick operations.
    void step();
    // Moves the bar to `value` (of 100), painted as step() paints: for an operation that knows
    // how far it has come.
    void moveTo(int value);
    static constexpr qint64 kPaintAfterMs = 100;
    static constexpr qint64 kPaintEveryMs = 50;
    int value() const;
    QProgressBar* widget() const { return progress_; }

  private:
    QPointer<QProgressBar> progress_;
    QElapsedTimer running_;
    qint64 paintedAt_ = -1;
    int value_ = 0;
};

} // namespace kx
