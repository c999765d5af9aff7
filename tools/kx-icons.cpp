// Writes the programs' icons as PNG files for the package: kx-icons FOLDER writes
// FOLDER/<size>/kestrix-frontdesk.png and kestrix-backoffice.png at the usual sizes.
#include "AppIcon.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2").arg(folder).arg(size);
        QDir().mkpath(dir);
        if (!kx::programIconImage(kx::ProgramIcon::FrontDesk, size).save(dir + QStringLiteral("/kestrix-frontdesk.png")) ||
            !kx::programIconImage(kx::ProgramIcon::BackOffice, size).save(dir + QStringLiteral("/kestrix-backoffice.png")))
            return 1;
    }
    return 0;
}
