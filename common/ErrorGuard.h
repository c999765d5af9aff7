#pragma once
// Runs the work of an event handler and handles every way it can end, so that no exception
// ever crosses the Qt event loop:
//   - a silent abort ends the action quietly;
//   - a refused stale write (another desk was first) shows its message, reads again what was
//     stale, and the program goes on;
//   - a failed transaction shows its failure code and closes the program;
//   - in the front desk, the two conversion errors of typed entries show their notices and the
//     program goes on;
//   - anything else shows the two boxes of the internal error and closes the program.
// Closing is the main window's business: it hands in a callback that closes without the exit
// question (SilentExit in the front desk, ExitMode 2 in the back office).
#include <QApplication>
#include <functional>
#include <type_traits>
#include <utility>

namespace kx {

enum class ProgramKind { FrontDesk, BackOffice };

class ErrorGuard {
  public:
    // Sets the program's kind and how it closes silently. Until a callback is given, closing
    // silently ends the event loop.
    static void configure(ProgramKind kind, std::function<void()> closeSilently);
    static ProgramKind kind();
    // The texts of the boxes.
    static const QString InvalidNumberText;
    static const QString InvalidDateTimeText;
    static const QString InternalErrorText;
    static QString transactionFailedText(const QString& code);
    // What the program reads again after a refused stale write has been shown (the front desk:
    // its board and the visit on screen).
    static void setAfterStaleData(std::function<void()> refresh);
};

// Runs `work`; true when it finished normally, false when it ended by an exception (handled).
bool guarded(const std::function<void()>& work);

// Wraps a callable for connect(): each call runs guarded.
//   connect(button, &QPushButton::clicked, this, kx::guard([this] { save(); }));
template <class F> auto guard(F f) {
    return [f = std::move(f)](auto&&... args) mutable {
        guarded([&] {
            // A slot that wants none of the signal's arguments gets none.
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}

// The application of both programs: every delivered event runs guarded, the last net below
// the guards of the handlers.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kx
