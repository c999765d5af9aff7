// Where the programs keep their data: beside themselves in a build tree or a copied folder, in
// the venue's shared folder once installed; files there are the venue group's to write.
#include "Connection.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(DataFolder, BesideTheProgramUnlessInstalled) {
    QTemporaryDir shared;
    qputenv("KESTRIX_DATA_DIR", shared.path().toUtf8());
    QTemporaryDir copied;
    EXPECT_EQ(kx::db::dataFolder(copied.path()), QDir::cleanPath(copied.path()));
    EXPECT_EQ(kx::db::dataFolder("/usr/bin"), QDir::cleanPath(shared.path()));
    EXPECT_TRUE(kx::db::isSharedDataFolder(shared.path()));
    EXPECT_FALSE(kx::db::isSharedDataFolder(copied.path()));
    EXPECT_EQ(kx::db::databasePath(shared.path()), shared.path() + "/data/VenueData.MDB");
    qunsetenv("KESTRIX_DATA_DIR");
}

TEST(DataFolder, AFileInASharedFolderBecomesGroupWritable) {
    KX_FILE_ENGINE_ONLY();
    QTemporaryDir dir;
    for (const bool shared : {false, true}) {
        const QString folder = dir.path() + (shared ? "/shared" : "/own");
        QDir().mkpath(folder);
        if (shared) ::chmod(QFile::encodeName(folder).constData(), 02775);
        kx::db::Connection c;
        c.open(folder + "/VenueData.MDB");
        struct stat st {};
        ::stat(QFile::encodeName(folder + "/VenueData.MDB").constData(), &st);
        EXPECT_EQ(bool(st.st_mode & S_IWGRP), shared) << shared;
    }
}

} // namespace
