#pragma once
// Makes a program's main window findable under its name, so that a program starting up can
// tell whether the other program or a copy of itself already runs.
#include <QString>

class QLocalServer;
class QObject;

namespace kx {

class InstanceName {
  public:
    static inline const QString FrontDesk = QStringLiteral("tformwmain1");
    static inline const QString BackOffice = QStringLiteral("tformsmain1");

    // Listens under `name` for as long as the returned server lives (it is a child of `owner`,
    // the main window). A name left behind by a copy that crashed is taken over; a name a
    // running copy holds is not: then the result is nullptr.
    static QLocalServer* listen(const QString& name, QObject* owner);
    // True when a running program listens under `name`.
    static bool isRunning(const QString& name, int timeoutMs = 300);
};

// A program's entry check: true when this program (`own`) or the other one (`other`) already
// runs. Only this one running shows `alreadyRunning`, only the other `otherRunning`, both
// nothing.
bool refuseEntry(const QString& own, const QString& other, const QString& alreadyRunning, const QString& otherRunning);

} // namespace kx
