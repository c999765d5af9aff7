// Backups of the live database file: a checked copy of one committed state, put in place only
// when it is good, and the rotation that keeps the last few.
#include "Backup.h"
#include "TestServer.h"
#include "Errors.h"
#include "Sql.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using kx::db::backupDatabase;
using kx::db::BackupOptions;

namespace {

// Reads a backup through a read-only connection of its own, so reading leaves it as it was.
class CopyReader {
  public:
    explicit CopyReader(const QString& path) : name_(QStringLiteral("backup-reader-%1").arg(++count_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~CopyReader() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }
    QString pragma(const char* name) const {
        return kx::db::scalarText(db(), QStringLiteral("PRAGMA ") + name);
    }

  private:
    static inline int count_ = 0;
    QString name_;
};

QStringList notes(QSqlDatabase db) {
    QStringList out;
    QSqlQuery q = kx::db::run(db, QStringLiteral("SELECT id || ':' || note FROM orders ORDER BY id"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QStringList beside(const QString& path) {
    const QFileInfo f(path);
    return f.dir().entryList({f.fileName() + QStringLiteral("*")}, QDir::AllEntries | QDir::Hidden);
}

class BackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KX_FILE_ENGINE_ONLY();
        // Some hundreds of pages, an index, and rows still in the WAL (not yet checkpointed).
        tdb.run({"CREATE TABLE orders (id INTEGER PRIMARY KEY, note VARCHAR(200))",
                 "CREATE INDEX orders_note ON orders(note)"});
        kx::db::Transaction tx(tdb.db());
        for (int i = 1; i <= 3000; ++i)
            kx::db::exec(tdb.db(), QStringLiteral("INSERT INTO orders VALUES (?, ?)"),
                         {i, QStringLiteral("点菜 %1 ").arg(i).repeated(8)});
        tx.commit();
        ASSERT_TRUE(QFile::exists(tdb.path() + QStringLiteral("-wal")));
        folder = dir.path() + QStringLiteral("/back");
        QDir().mkpath(folder);
        target = folder + QStringLiteral("/VenueData-2026-01-02.bak");
    }
    void addRow(QSqlDatabase db, int id) {
        kx::db::exec(db, QStringLiteral("INSERT INTO orders VALUES (?, ?)"), {id, QStringLiteral("加菜")});
    }

    kx::test::TempDatabase tdb;
    QTemporaryDir dir;
    QString folder, target;
};

struct StepCase {
    const char* name;
    int pagesPerStep;
    bool fullCheck;
    friend void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }
};

class BackupStepTest : public BackupTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(BackupStepTest, CopyHoldsTheSameRowsAndPassesItsCheck) {
    BackupOptions options;
    options.pagesPerStep = GetParam().pagesPerStep;
    options.fullCheck = GetParam().fullCheck;
    int steps = 0, lastCopied = 0, total = 0;
    options.progress = [&](int copied, int all) {
        EXPECT_GT(copied, lastCopied);
        lastCopied = copied;
        total = all;
        ++steps;
    };
    backupDatabase(tdb.path(), target, options);

    CopyReader copy(target);
    EXPECT_EQ(notes(copy.db()), notes(tdb.db()));
    EXPECT_EQ(copy.pragma("integrity_check"), "ok");
    EXPECT_EQ(copy.pragma("journal_mode"), "delete"); // one self-contained file
    EXPECT_EQ(beside(target), QStringList{QFileInfo(target).fileName()});
    if (options.pagesPerStep < 100) {
        EXPECT_GT(steps, 5);
        EXPECT_LT(lastCopied, total);
    }
}

INSTANTIATE_TEST_SUITE_P(Backup, BackupStepTest,
                         ::testing::Values(StepCase{"OneStep", 4096, false}, StepCase{"SmallSteps", 7, false},
                                           StepCase{"SmallStepsFullCheck", 7, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupTest, ReplacesTheBackupOfTheSameName) {
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("yesterday's copy");
    }
    backupDatabase(tdb.path(), target);
    CopyReader copy(target);
    EXPECT_EQ(kx::db::scalarInt(copy.db(), QStringLiteral("SELECT count(*) FROM orders")), 3000);
}

TEST_F(BackupTest, ContainsOnlyWhatWasCommittedWhileAnotherWriterHoldsItsTransaction) {
    kx::db::Connection writer;
    writer.open(tdb.path());
    kx::db::exec(writer.db(), QStringLiteral("BEGIN IMMEDIATE"));
    addRow(writer.db(), 5001);
    backupDatabase(tdb.path(), target);
    kx::db::exec(writer.db(), QStringLiteral("COMMIT"));

    CopyReader copy(target);
    EXPECT_EQ(kx::db::scalarInt(copy.db(), QStringLiteral("SELECT count(*) FROM orders")), 3000);
    EXPECT_EQ(kx::db::scalarInt(copy.db(), QStringLiteral("SELECT max(id) FROM orders")), 3000);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), QStringLiteral("SELECT max(id) FROM orders")), 5001);
}

TEST_F(BackupTest, CommitsDuringTheCopyAreNotInItAndNeverRestartIt) {
    kx::db::Connection writer;
    writer.open(tdb.path());
    BackupOptions options;
    options.pagesPerStep = 5;
    int commits = 0, lastCopied = 0;
    // A writer committing after every step: the copy shows the moment it started and goes
    // straight on to its end.
    options.progress = [&](int copied, int) {
        EXPECT_GT(copied, lastCopied);
        lastCopied = copied;
        if (commits < 50) addRow(writer.db(), 6000 + ++commits);
    };
    const QStringList before = notes(tdb.db());
    backupDatabase(tdb.path(), target, options);

    EXPECT_GT(commits, 10); // one per step
    CopyReader copy(target);
    EXPECT_EQ(notes(copy.db()), before);
    EXPECT_EQ(copy.pragma("integrity_check"), "ok");
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), QStringLiteral("SELECT count(*) FROM orders")), 3000 + commits);
}

TEST_F(BackupTest, AStartedCopyShowsItsMomentWhileItIsFinishedOnAnotherThread) {
    const QStringList before = notes(tdb.db());
    kx::db::SnapshotBackup backup(tdb.path(), target);
    backup.start();
    // What the day end does right after starting the copy: it deletes and commits.
    kx::db::exec(tdb.db(), QStringLiteral("DELETE FROM orders WHERE id > 100"));
    std::thread worker([&] { backup.finish(); });
    worker.join();
    CopyReader copy(target);
    EXPECT_EQ(notes(copy.db()), before);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), QStringLiteral("SELECT count(*) FROM orders")), 100);
}

TEST_F(BackupTest, ACopyStartedAndNeverFinishedLeavesNothingBehind) {
    {
        kx::db::SnapshotBackup backup(tdb.path(), target);
        backup.start();
        EXPECT_TRUE(QFile::exists(target + QStringLiteral(".part")));
    }
    EXPECT_EQ(beside(target), QStringList());
    // The source is free again: a writer is not kept from checkpointing the log.
    EXPECT_EQ(kx::db::scalarText(tdb.db(), QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")), "0");
}

// The source and the target of a backup.
using Scene = std::pair<QString, QString>;

struct FailureCase {
    const char* name;
    // Prepares the scene in the folder `root`, beside the test's database.
    std::function<Scene(const QString& root, const QString& database)> scene;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

const FailureCase kFailures[] = {
    {"TargetIsAFolder",
     [](const QString& root, const QString& db) -> Scene {
         QDir().mkpath(root + "/VenueData.bak");
         return {db, root + "/VenueData.bak"};
     }},
    {"FolderIsMissing",
     [](const QString& root, const QString& db) -> Scene {
         return {db, root + "/no/VenueData.bak"};
     }},
    {"FolderIsAFile",
     [](const QString& root, const QString& db) -> Scene {
         QFile f(root + "/plain");
         f.open(QIODevice::WriteOnly);
         return {db, root + "/plain/VenueData.bak"};
     }},
    {"TargetIsTheDatabaseItself",
     [](const QString&, const QString& db) -> Scene {
         return {db, db};
     }},
    {"SourceIsMissing",
     [](const QString& root, const QString&) -> Scene {
         return {root + "/nothing.MDB", root + "/VenueData.bak"};
     }},
    {"SourceIsNoDatabase",
     [](const QString& root, const QString&) -> Scene {
         QFile f(root + "/text.MDB");
         f.open(QIODevice::WriteOnly);
         f.write(QByteArray(8192, 'x'));
         QFile old(root + "/VenueData.bak");
         old.open(QIODevice::WriteOnly);
         old.write("the last good backup");
         return {root + "/text.MDB", root + "/VenueData.bak"};
     }},
    {"FolderIsReadOnly",
     [](const QString& root, const QString& db) -> Scene {
         QDir().mkpath(root + "/locked");
         QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::ExeOwner);
         return {db, root + "/locked/VenueData.bak"};
     }},
};

class BackupFailureTest : public BackupTest, public ::testing::WithParamInterface<FailureCase> {};

// What a path holds: nothing, a folder, or a file's bytes.
QByteArray state(const QString& path) {
    const QFileInfo f(path);
    if (!f.exists()) return "(none)";
    if (f.isDir()) return "(folder)";
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TEST_P(BackupFailureTest, ThrowsAndLeavesNoPartialFileAndTheTargetAsItWas) {
    if (QByteArray(GetParam().name) == "FolderIsReadOnly" && geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into a read-only folder";
    const auto [source, where] = GetParam().scene(dir.path(), tdb.path());
    const QByteArray before = state(where);
    EXPECT_THROW(backupDatabase(source, where), kx::DbError);
    EXPECT_EQ(state(where), before);
    EXPECT_FALSE(QFileInfo::exists(where + ".part"));
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), QStringLiteral("SELECT count(*) FROM orders")), 3000);
    QFile::setPermissions(dir.path() + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

INSTANTIATE_TEST_SUITE_P(Backup, BackupFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PruneBackups, KeepsTheLastByNameAndTouchesNothingElse) {
    KX_FILE_ENGINE_ONLY();
    const struct {
        int keep;
        QStringList left;
    } cases[] = {
        {3, {"VenueData-2026-01-03.bak", "VenueData-2026-01-04.bak", "VenueData-2026-02-01.bak"}},
        {5,
         {"VenueData-2025-12-31.bak", "VenueData-2026-01-01.bak", "VenueData-2026-01-03.bak",
          "VenueData-2026-01-04.bak", "VenueData-2026-02-01.bak"}},
        {9,
         {"VenueData-2025-12-31.bak", "VenueData-2026-01-01.bak", "VenueData-2026-01-03.bak",
          "VenueData-2026-01-04.bak", "VenueData-2026-02-01.bak"}},
        {0, {}},
    };
    const QStringList others = {"VenueData-2020-01-01.bak.part", "notes.txt", "VenueData-2019-01-01.BAK"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keep);
        QTemporaryDir dir;
        // written out of order, so neither creation order nor time decides
        for (const char* name :
             {"VenueData-2026-01-04.bak", "VenueData-2025-12-31.bak", "VenueData-2026-02-01.bak",
              "VenueData-2026-01-01.bak", "VenueData-2026-01-03.bak"}) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        for (const QString& name : others) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(dir.filePath("VenueData-2000-01-01.bak")); // a folder is never removed

        const QStringList removed = kx::db::pruneBackups(dir.path(), "VenueData-*.bak", c.keep);

        QStringList left =
            QDir(dir.path()).entryList({"VenueData-*.bak"}, QDir::Files | QDir::CaseSensitive, QDir::Name);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(removed.size(), 5 - c.left.size());
        for (const QString& name : others)
            EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name.toStdString();
        EXPECT_TRUE(QFileInfo(dir.filePath("VenueData-2000-01-01.bak")).isDir());
    }
}

} // namespace
