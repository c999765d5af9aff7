#pragma once
// Enter moves on like Tab: in an entry control (line edit, combo box, spin box, date edit,
// check box, radio button) the Enter key is delivered to the control first, as usual (so
// returnPressed and friends still fire), and then, if the control still has the focus, the focus
// moves to the next control of the tab order. Grids, multi-line texts and buttons keep their
// own Enter. One application-wide filter; the order screen takes it away while it is open and
// puts it back.
#include <QObject>

class QEvent;
class QWidget;

namespace kx {

class EnterAsTab : public QObject {
    Q_OBJECT
  public:
    static void install();
    static void remove();
    static bool isInstalled();

    // Whether Enter in `w` moves the focus on.
    static bool appliesTo(const QWidget* w);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit EnterAsTab(QObject* parent) : QObject(parent) {}
    QEvent* delivering_ = nullptr; // the Enter being handed to its control
};

} // namespace kx
