#include "ErrorGuard.h"

#include "Errors.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <exception>

namespace kx {

namespace {

ProgramKind programKind = ProgramKind::FrontDesk;
std::function<void()> closeCallback;
bool closeRequested = false;
std::function<void()> afterStaleData;

// The program closes once; failures while it is closing only show their boxes.
void closeSilently() {
    if (closeRequested) return;
    closeRequested = true;
    try {
        if (closeCallback)
            closeCallback();
        else
            QCoreApplication::exit(1);
    } catch (...) {
        QCoreApplication::exit(1);
    }
}

void handleError(const QString& message) {
    if (programKind == ProgramKind::FrontDesk) {
        if (message.contains(QLatin1String("not a valid floating point value"), Qt::CaseInsensitive)) {
            inform(ErrorGuard::InvalidNumberText);
            return;
        }
        if (message.contains(QLatin1String("not a valid date and time"), Qt::CaseInsensitive)) {
            inform(ErrorGuard::InvalidDateTimeText);
            return;
        }
    }
    inform(ErrorGuard::InternalErrorText);
    inform(message);
    closeSilently();
}

// Showing a box may itself fail; nothing may leave the guard.
template <class F> void safely(F&& f) {
    try {
        f();
    } catch (...) {
        closeSilently();
    }
}

} // namespace

const QString ErrorGuard::InvalidNumberText = QStringLiteral("输入的数值无效，请重新输入！");
const QString ErrorGuard::InvalidDateTimeText = QStringLiteral("输入的日期时间无效，请重新输入！");
const QString ErrorGuard::InternalErrorText =
    QStringLiteral("系统发生内部错误，请记录错误发生的位置并记录以下错误提示后与开发商联系！");

QString ErrorGuard::transactionFailedText(const QString& code) {
    return QStringLiteral("系统发生错误编码[") + code +
           QStringLiteral("]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
}

void ErrorGuard::setAfterStaleData(std::function<void()> refresh) {
    afterStaleData = std::move(refresh);
}

void ErrorGuard::configure(ProgramKind kind, std::function<void()> closeSilently) {
    programKind = kind;
    closeCallback = std::move(closeSilently);
    closeRequested = false;
}

ProgramKind ErrorGuard::kind() {
    return programKind;
}

bool guarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const StaleData& e) {
        const StaleData stale = e;
        safely([&] { inform(stale.message); });
        // Reading again is itself guarded: a further lost race there is shown the same way.
        if (stale.refresh) guarded(stale.refresh);
        if (afterStaleData) guarded(afterStaleData);
    } catch (const SilentAbort&) {
    } catch (const TransactionFailed& e) {
        const QString code = e.code();
        safely([&] {
            fail(ErrorGuard::transactionFailedText(code));
            closeSilently();
        });
    } catch (const std::exception& e) {
        const QString message = QString::fromUtf8(e.what());
        safely([&] { handleError(message); });
    } catch (...) {
        safely([] { handleError(QStringLiteral("未知错误")); });
    }
    return false;
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    guarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}

} // namespace kx
