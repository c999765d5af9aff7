// A database file that is there but cannot be used is refused with words a manager can act on,
// by the programs' start-up and by `kestrix-db check`, and is left exactly as it was; a new
// venue is made only where no file is.
#include "Connection.h"
#include "TestServer.h"
#include "DbTool.h"
#include "Schema.h"
#include "Sql.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 9);

struct DamagedFile {
    const char* name;
    // Makes the file at `path`.
    std::function<void(const QString& path)> make;
    const char* problem; // the start of what the refusal says is wrong
};

// A sample venue written and closed, its WAL folded into the file.
void venue(const QString& path, const QStringList& afterwards = {}) {
    kx::db::Connection c;
    c.open(path);
    kx::db::prepareDatabase(c.db(), true, kToday);
    for (const QString& s : afterwards)
        kx::db::exec(c.db(), s);
    kx::db::exec(c.db(), "PRAGMA wal_checkpoint(TRUNCATE)");
}

void bytes(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

const DamagedFile kFiles[] = {
    {"ZeroLength", [](const QString& p) { bytes(p, {}); }, "是空文件"},
    {"RandomBytes",
     [](const QString& p) {
         QByteArray b(40000, '\0');
         QRandomGenerator g(7);
         for (char& c : b)
             c = char(g.bounded(256));
         bytes(p, b);
     },
     "不是数据库文件"},
    {"Truncated",
     [](const QString& p) {
         venue(p);
         QFile f(p);
         ASSERT_TRUE(f.resize(f.size() / 2));
     },
     "已损坏"},
    {"WithoutItsSettingsRow", [](const QString& p) { venue(p, {"DELETE FROM SetupPay"}); }, "缺少设置记录"},
    {"AnotherProgramsDatabase",
     [](const QString& p) {
         kx::db::Connection c;
         c.open(p);
         kx::db::exec(c.db(), "CREATE TABLE notes (id INTEGER PRIMARY KEY, text VARCHAR(20))");
         kx::db::exec(c.db(), "PRAGMA journal_mode=DELETE");
     },
     "不是本系统的数据库"},
    {"OfANewerVersion",
     [](const QString& p) { venue(p, {QString("PRAGMA user_version = %1").arg(kx::db::currentSchemaVersion() + 1)}); },
     "由较新版本的程序建立"},
};

class VenueFileTest : public ::testing::TestWithParam<DamagedFile> {
  protected:
    void SetUp() override {
        KX_FILE_ENGINE_ONLY();
        path = dir.path() + "/data/VenueData.MDB";
        QDir().mkpath(dir.path() + "/data");
        GetParam().make(path);
        before = fingerprint();
    }
    // The file and what lies beside it, byte for byte.
    QString fingerprint() const {
        QStringList out;
        for (const QString& name : QDir(dir.path() + "/data").entryList(QDir::Files, QDir::Name)) {
            QFile f(dir.path() + "/data/" + name);
            f.open(QIODevice::ReadOnly);
            out << name + ":" + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex();
        }
        return out.join(' ');
    }
    QTemporaryDir dir;
    QString path;
    QString before;
};

TEST_P(VenueFileTest, IsRefusedAtStartUpAndLeftAsItWas) {
    kx::db::Connection c;
    try {
        kx::db::openVenueDatabase(c, path, kToday);
        ADD_FAILURE() << "opened";
    } catch (const kx::db::VenueFileRefused& e) {
        EXPECT_TRUE(e.problem().startsWith(QString::fromUtf8(GetParam().problem))) << e.problem().toStdString();
        // The message names the file and says what to do.
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("back") || e.message().contains("新版本")) << e.message().toStdString();
    }
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(fingerprint(), before);
}

TEST_P(VenueFileTest, FailsTheCheckAndIsLeftAsItWas) {
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(kx::db::runDbTool({"check", path}, out, err, kToday), 1);
    EXPECT_TRUE(output.contains("FAIL " + QString::fromUtf8(GetParam().problem))) << output.toStdString();
    EXPECT_EQ(fingerprint(), before);
}

INSTANTIATE_TEST_SUITE_P(Damaged, VenueFileTest, ::testing::ValuesIn(kFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VenueFile, ANewVenueIsMadeOnlyWhereNoFileIsAndAGoodOneOpens) {
    KX_FILE_ENGINE_ONLY();
    QTemporaryDir dir;
    const QString path = dir.path() + "/data/VenueData.MDB";
    {
        kx::db::Connection c;
        kx::db::openVenueDatabase(c, path, kToday);
        EXPECT_EQ(kx::db::scalarInt(c.db(), "select count(*) from SetupPay"), 1);
    }
    kx::db::Connection again;
    kx::db::openVenueDatabase(again, path, kToday);
    EXPECT_GT(kx::db::scalarInt(again.db(), "select count(*) from TableList"), 0);
}

} // namespace
