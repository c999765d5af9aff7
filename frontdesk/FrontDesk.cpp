#include "FrontDesk.h"

#include "AppIcon.h"
#include "Clock.h"
#include "Connection.h"
#include "ErrorGuard.h"
#include "Jpeg.h"
#include "Prompter.h"
#include "Schema.h"
#include "SingleInstance.h"
#include "Splash.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QFile>
#include <memory>

namespace kx::frontdesk {

bool refuseEntry() {
    return kx::refuseEntry(InstanceName::FrontDesk, InstanceName::BackOffice,
                           QStringLiteral("[前台系统]已经运行！"),
                           QStringLiteral("[后台系统]运行时不能运行[前台系统]，请退出[后台系统]后运行！"));
}

int runFrontDesk(int argc, char** argv) {
    Clock::settleTimeZone();
    GuardedApplication app(argc, argv);
    if (refuseEntry()) return 0;

    auto splash = showSplash(SplashWindow::frontDeskLines());

    // The task bar's name. It is the application's name, not its display name: a display name
    // would be appended to every window caption by the window system integration.
    app.setApplicationName(QStringLiteral("Kestrix餐饮客房管理系统-前台操作"));
    app.setWindowIcon(programIcon(ProgramIcon::FrontDesk));
    std::unique_ptr<TFormWMain> main;
    std::unique_ptr<TFormWork> work;
    std::unique_ptr<TDMTable> dm;
    QString refused; // a database file that cannot be used, told in words a manager can act on
    const bool ok = guarded([&] {
        try {
            main = std::make_unique<TFormWMain>(db::databasePath(db::settleDataFolder()));
        } catch (const db::VenueFileRefused& e) {
            refused = e.message();
            throw SilentAbort();
        }
        work = std::make_unique<TFormWork>(main.get());
        dm = std::make_unique<TDMTable>(main->db());
        main->attach(work.get(), dm.get());
        work->attach(dm.get());
    });
    splash.reset();
    if (!refused.isEmpty()) prompter().information(refused);
    if (!ok || !main) return 1;
    main->show();
    const int rc = app.exec();
    work.reset();
    dm.reset();
    main.reset();
    return rc;
}

} // namespace kx::frontdesk
