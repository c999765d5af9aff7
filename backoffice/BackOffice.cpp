#include "BackOffice.h"

#include "Clock.h"
#include "Connection.h"
#include "ErrorGuard.h"
#include "Jpeg.h"
#include "Prompter.h"
#include "SingleInstance.h"
#include "Splash.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"

#include <QFile>
#include <memory>

namespace kx::backoffice {

bool refuseEntry() {
    const bool backOffice = InstanceName::isRunning(InstanceName::BackOffice);
    const bool frontDesk = InstanceName::isRunning(InstanceName::FrontDesk);
    if (!backOffice && !frontDesk) return false;
    // With both running nothing is shown.
    if (!frontDesk) prompter().information(QStringLiteral("[后台系统]已经运行！"));
    else if (!backOffice)
        prompter().information(QStringLiteral("[前台系统]运行时不能运行[后台系统]，请退出[前台系统]后运行！"));
    return true;
}

int runBackOffice(int argc, char** argv) {
    Clock::settleTimeZone();
    GuardedApplication app(argc, argv);
    if (refuseEntry()) return 0;

    QImage picture;
    QFile f(QStringLiteral(":/splash.jpg"));
    if (f.open(QIODevice::ReadOnly)) picture = decodeJpeg(f.readAll());
    auto splash = std::make_unique<SplashWindow>(picture, SplashWindow::backOfficeLines());
    splash->showNow();

    // The task bar's name (the application's name, not its display name, which the window
    // system would append to every caption).
    app.setApplicationName(QStringLiteral("Kestrix餐饮娱乐管理系统9.0版-后台管理"));
    std::unique_ptr<TFormSMain> main;
    std::unique_ptr<TFormChild> child;
    std::unique_ptr<TDMManage> manage;
    std::unique_ptr<TDMSetup> setup;
    const bool ok = guarded([&] {
        main = std::make_unique<TFormSMain>(db::databasePath(db::programDir()));
        child = std::make_unique<TFormChild>(main.get());
        manage = std::make_unique<TDMManage>(main->db());
        setup = std::make_unique<TDMSetup>(main->db());
        child->attach(setup.get());
        main->attach(child.get(), manage.get(), setup.get());
    });
    splash.reset();
    if (!ok || !main) return 1;
    main->show();
    const int rc = app.exec();
    // Everything working on the connection goes before the main window closes it.
    setup.reset();
    manage.reset();
    child.reset();
    main.reset();
    return rc;
}

} // namespace kx::backoffice
