// kestrix-db: creates a Kestrix database file, checks one, or fills one with a venue history.
#include "DbTool.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A tool run from the shell takes the machine's date for a new business day.
    const int code = kx::db::runDbTool(app.arguments().mid(1), out, err, QDate::currentDate());
    out.flush();
    err.flush();
    return code;
}
