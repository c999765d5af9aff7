#pragma once
// The progress bar of a long operation, laid over the first panel of the status bar for as long
// as the operation runs (also when it ends by an exception).
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

    // Advances one step (10 of 100) and paints at once.
    void step();
    int value() const;
    QProgressBar* widget() const { return progress_; }

  private:
    QPointer<QProgressBar> progress_;
};

} // namespace kx
