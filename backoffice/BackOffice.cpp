#include "BackOffice.h"

#include "AppIcon.h"
#include "Clock.h"
#include "Connection.h"
#include "ErrorGuard.h"
#include "Prompter.h"
#include "Schema.h"
#include "SingleInstance.h"
#include "Splash.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

namespace kx::backoffice {

BackOfficeParts::BackOfficeParts(const QString& databaseFile) {
    main = std::make_unique<TFormSMain>(databaseFile);
    child = std::make_unique<TFormChild>(main.get());
    manage = std::make_unique<TDMManage>(main->db());
    setup = std::make_unique<TDMSetup>(main->db());
    child->attach(setup.get());
    main->attach(child.get(), manage.get(), setup.get());
}

BackOfficeParts::~BackOfficeParts() {
    // Everything working on the connection goes before the main window closes it.
    setup.reset();
    manage.reset();
    child.reset();
    main.reset();
}

bool refuseEntry() {
    return kx::refuseEntry(InstanceName::BackOffice, InstanceName::FrontDesk,
                           QStringLiteral("[后台系统]已经运行！"),
                           QStringLiteral("[前台系统]运行时不能运行[后台系统]，请退出[前台系统]后运行！"));
}

int runBackOffice(int argc, char** argv) {
    Clock::settleTimeZone();
    GuardedApplication app(argc, argv);
    if (refuseEntry()) return 0;
    auto splash = showSplash(SplashWindow::backOfficeLines());

    // The task bar's name (the application's name, not its display name, which the window
    // system would append to every caption).
    app.setApplicationName(QStringLiteral("Kestrix餐饮娱乐管理系统9.0版-后台管理"));
    app.setWindowIcon(programIcon(ProgramIcon::BackOffice));
    std::unique_ptr<BackOfficeParts> parts;
    QString refused; // a database file that cannot be used, told in words a manager can act on
    const bool ok = guarded([&] {
        try {
            parts = std::make_unique<BackOfficeParts>(db::databasePath(db::settleDataFolder()));
        } catch (const db::VenueFileRefused& e) {
            refused = e.message();
            throw SilentAbort();
        }
    });
    splash.reset();
    if (!refused.isEmpty()) prompter().information(refused);
    if (!ok || !parts) return 1;
    parts->main->show();
    return app.exec();
}

} // namespace kx::backoffice
