// The dataset: a snapshot of one SELECT with a current row, edited and posted row by row.
#include "Connection.h"
#include "Dataset.h"
#include "Errors.h"
#include "DatasetModel.h"
#include "Sql.h"
#include "TestDb.h"
#include "TestServer.h"
#include "Values.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using kx::db::Dataset;
using kx::db::FieldKind;

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        tdb.run({
            "CREATE TABLE classes (clas_code VARCHAR(3) PRIMARY KEY, clas_name VARCHAR(20))",
            "CREATE TABLE items (item_code VARCHAR(6) PRIMARY KEY, item_name VARCHAR(20), clas_code VARCHAR(3),"
            " price DOUBLE, qty DECIMAL(18,2), item_real BOOLEAN DEFAULT 0, made DATETIME, cnt SMALLINT)",
            "CREATE TABLE lines (line_id INTEGER PRIMARY KEY AUTOINCREMENT, item_code VARCHAR(6),"
            " qty DOUBLE DEFAULT 1)",
            "CREATE TABLE nokey (a VARCHAR(5), b INTEGER)",
            "INSERT INTO classes VALUES ('A', '凉菜'), ('B', '热菜'), ('C', '酒水')",
            "INSERT INTO items VALUES ('001', '拍黄瓜', 'A', 12, 1, 0, '2026-12-01 00:00:00', 3)",
            "INSERT INTO items VALUES ('002', '口水鸡', 'A', 28.5, 2, 1, '2026-12-01 18:05:31', 4)",
            "INSERT INTO items VALUES ('003', '水煮鱼', 'B', 68, 1.5, 0, NULL, 5)",
            "INSERT INTO items VALUES ('004', '啤酒', 'C', 10, 12, 1, NULL, 6)",
        });
    }
    Dataset* items(const QString& sql = "SELECT * FROM items order by item_code") {
        auto* ds = new Dataset(tdb.db(), "adoqry_items", sql, &owner);
        ds->open();
        return ds;
    }
    QStringList codes(Dataset* ds, const QString& field = "item_code") {
        QStringList out;
        for (int r = 0; r < ds->recordCount(); ++r) out << ds->valueAt(r, ds->fieldIndex(field)).toString();
        return out;
    }
    kx::test::TempDatabase tdb;
    QObject owner;
};

TEST_F(DatasetTest, WalksEveryRowInOrderAndKnowsItsEnds) {
    Dataset* ds = items();
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_EQ(ds->recNo(), 1);
    EXPECT_TRUE(ds->bof());
    EXPECT_FALSE(ds->eof());
    QStringList seen;
    for (ds->first(); !ds->eof(); ds->next()) seen << ds->field("item_code").asString();
    EXPECT_EQ(seen, QStringList({"001", "002", "003", "004"}));
    EXPECT_EQ(ds->recNo(), 4); // next() past the end stays on the last row
    ds->prior();
    EXPECT_EQ(ds->field("item_code").asString(), "003");
    EXPECT_EQ(ds->moveBy(-10), -2);
    EXPECT_TRUE(ds->bof());
    ds->last();
    EXPECT_TRUE(ds->eof());
    EXPECT_EQ(ds->field("ITEM_NAME").asString(), "啤酒"); // names are case-insensitive
    ds->setRecNo(2);
    EXPECT_EQ(ds->field(1).asString(), "口水鸡"); // by position

    Dataset* none = items("SELECT * FROM items where item_code='zzz'");
    EXPECT_TRUE(none->isEmpty());
    EXPECT_TRUE(none->eof());
    EXPECT_TRUE(none->bof());
    EXPECT_EQ(none->recNo(), 0);
    EXPECT_EQ(none->field("price").asFloat(), 0.0);
    EXPECT_EQ(none->field("item_name").asString(), "");
}

TEST_F(DatasetTest, FieldsReadAsTheirKinds) {
    Dataset* ds = items();
    EXPECT_EQ(ds->field("item_code").kind(), FieldKind::String);
    EXPECT_EQ(ds->field("item_code").size(), 6);
    EXPECT_EQ(ds->field("price").kind(), FieldKind::Float);
    EXPECT_EQ(ds->field("qty").kind(), FieldKind::Decimal);
    EXPECT_EQ(ds->field("item_real").kind(), FieldKind::Boolean);
    EXPECT_EQ(ds->field("made").kind(), FieldKind::DateTime);
    EXPECT_EQ(ds->field("cnt").kind(), FieldKind::SmallInt);

    ds->locate("item_code", "002");
    EXPECT_DOUBLE_EQ(ds->field("price").asFloat(), 28.5);
    EXPECT_EQ(ds->field("price").asString(), "28.5");
    EXPECT_TRUE(ds->field("item_real").asBool());
    EXPECT_EQ(ds->field("item_real").asString(), "True");
    EXPECT_EQ(ds->field("made").asDateTime(), QDateTime(QDate(2026, 12, 1), QTime(18, 5, 31)));
    EXPECT_EQ(ds->field("made").asString(), "2026-12-01 18:05:31");
    ds->locate("item_code", "001");
    EXPECT_EQ(ds->field("made").asString(), "2026-12-01"); // midnight shows as the date alone
    EXPECT_EQ(ds->field("made").asDateTime().time(), QTime(0, 0));
    EXPECT_EQ(ds->field("cnt").asInt(), 3);

    // A scalar query: its only column is field 0; a sum over no rows reads as 0.
    Dataset scratch(tdb.db(), "ScratchQuery");
    scratch.setSql("select sum(price) from items where clas_code='Z'");
    scratch.open();
    EXPECT_EQ(scratch.field(0).asFloat(), 0.0);
    EXPECT_EQ(scratch.field(0).asString(), "");
    scratch.setSql("select count(*) from items where clas_code=?", {"A"});
    scratch.open();
    EXPECT_EQ(scratch.field(0).asInt(), 2);
}

TEST_F(DatasetTest, AppendPostsAtOnceAndReadsBackCounterAndDefaults) {
    Dataset* ds = items("SELECT * FROM lines order by line_id");
    ds->append();
    EXPECT_EQ(ds->state(), Dataset::Insert);
    ds->field("item_code").setValue("001");
    ds->post();
    EXPECT_EQ(ds->state(), Dataset::Browse);
    EXPECT_GT(ds->field("line_id").asInt(), 0);
    EXPECT_DOUBLE_EQ(ds->field("qty").asFloat(), 1.0); // the column default
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from lines where item_code='001'"), 1);

    ds->append();
    ds->field("item_code").setValue("002");
    ds->post();
    EXPECT_EQ(ds->field("line_id").asInt(), 2);
    EXPECT_EQ(ds->recordCount(), 2);
}

TEST_F(DatasetTest, EditWritesOnlyTheChangedColumns) {
    Dataset* ds = items();
    ds->locate("item_code", "003");
    ds->edit();
    ds->field("price").setValue(70.0);
    // Meanwhile another program changes another column of the same row.
    kx::db::exec(tdb.db(), "update items set cnt=99 where item_code='003'");
    ds->post();
    EXPECT_DOUBLE_EQ(kx::db::scalarNumber(tdb.db(), "select price from items where item_code='003'"), 70.0);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select cnt from items where item_code='003'"), 99);
}

TEST_F(DatasetTest, CancelRestoresAnEditAndDropsANewRow) {
    Dataset* ds = items();
    ds->locate("item_code", "002");
    ds->edit();
    ds->field("item_name").setValue("改名");
    ds->cancel();
    EXPECT_EQ(ds->field("item_name").asString(), "口水鸡");
    ds->append();
    ds->field("item_code").setValue("009");
    ds->cancel();
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from items"), 4);
}

TEST_F(DatasetTest, DeleteRemovesTheRowAndMovesToTheNext) {
    Dataset* ds = items();
    ds->locate("item_code", "002");
    ds->remove();
    EXPECT_EQ(ds->field("item_code").asString(), "003");
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_FALSE(kx::db::exists(tdb.db(), "select 1 from items where item_code='002'"));
    ds->last();
    ds->remove();
    EXPECT_EQ(ds->field("item_code").asString(), "003"); // deleting the last row shows the one before
}

TEST_F(DatasetTest, RowsOfATableWithoutKeyAreWrittenByRowid) {
    KX_FILE_ENGINE_ONLY();
    tdb.run({"INSERT INTO nokey VALUES ('x', 1), ('x', 1)"});
    Dataset* ds = items("select * from nokey");
    ds->last();
    ds->edit();
    ds->field("b").setValue(2);
    ds->post();
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select count(*) from nokey where b=1"), 1);
    ds->first();
    ds->remove();
    EXPECT_EQ(kx::db::scalarInt(tdb.db(), "select b from nokey"), 2);
}

// Another program on the same file (a second front desk, the back office) changes or removes
// rows this dataset holds. A write decided on a copy that no longer holds is refused: nothing is
// stored, and the refusal reads the dataset again, on the same row.
struct StaleCase {
    const char* name;
    const char* otherDesk;  // what the other program did to row 002 meanwhile
    bool remove;            // this dataset removes the row instead of changing its price
    bool refused;
    const char* storedAfter; // row 002 as "name/price", or "" when gone
};

const StaleCase kStaleCases[] = {
    {"SameColumnChanged", "UPDATE items SET price = 30 WHERE item_code = '002'", false, true, "口水鸡/30"},
    {"RowRemoved", "DELETE FROM items WHERE item_code = '002'", false, true, ""},
    {"RowRemovedBeforeRemove", "DELETE FROM items WHERE item_code = '002'", true, true, ""},
    {"RowRemovedAndAddedAgain", "DELETE FROM items WHERE item_code = '002'; "
                                "INSERT INTO items (item_code, item_name, price) VALUES ('002', '白切鸡', 40)",
     false, true, "白切鸡/40"},
    {"OtherColumnChanged", "UPDATE items SET item_name = '椒麻鸡' WHERE item_code = '002'", false, false, "椒麻鸡/35"},
    {"SameValueWrittenAgain", "UPDATE items SET price = 28.5 WHERE item_code = '002'", false, false, "口水鸡/35"},
    {"OtherRowChanged", "UPDATE items SET price = 1 WHERE item_code = '003'", true, false, ""},
};

class StaleWriteTest : public DatasetTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(StaleWriteTest, IsRefusedOnlyWhenWhatItChangesNoLongerHolds) {
    const StaleCase& c = GetParam();
    Dataset* ds = items();
    ASSERT_TRUE(ds->locate("item_code", "002"));
    kx::db::Connection other;
    other.open(tdb.path());
    for (const QString& statement : QString::fromUtf8(c.otherDesk).split(QStringLiteral("; ")))
        kx::db::exec(other.db(), statement);

    std::function<void()> refresh;
    QString message;
    try {
        if (c.remove) {
            ds->remove();
        } else {
            ds->edit();
            ds->field("price").setValue(35);
            ds->post();
        }
    } catch (const kx::StaleData& e) {
        message = e.message;
        refresh = e.refresh;
    }
    EXPECT_EQ(!message.isEmpty(), c.refused);
    const QString stored = kx::test::joinedRows(tdb.db(), "select item_name, price from items where item_code='002'");
    EXPECT_EQ(stored, QString::fromUtf8(c.storedAfter));
    if (!c.refused) return;
    EXPECT_EQ(message, "数据已被其它站点修改，请刷新后重新操作！");
    ASSERT_TRUE(refresh);
    refresh();
    EXPECT_EQ(ds->state(), Dataset::Browse);
    if (stored.isEmpty()) {
        EXPECT_FALSE(ds->locate("item_code", "002"));
        EXPECT_EQ(ds->field("item_code").asString(), "003") << "the row after the one that went";
    } else {
        EXPECT_EQ(ds->field("item_code").asString(), "002");
        EXPECT_EQ(ds->field("item_name").asString() + "/" + ds->field("price").asString(), stored);
    }
}

INSTANTIATE_TEST_SUITE_P(Dataset, StaleWriteTest, ::testing::ValuesIn(kStaleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DatasetTest, AChangedKeyIsWrittenByTheKeyItHad) {
    Dataset* ds = items();
    ASSERT_TRUE(ds->locate("item_code", "003"));
    ds->edit();
    ds->field("item_code").setValue("030");
    ds->post();
    ds->edit();
    ds->field("price").setValue(70);
    ds->post();
    EXPECT_EQ(kx::test::joinedRows(tdb.db(), "select item_code, price from items where price >= 68", "="),
              "030=70");
}

TEST_F(DatasetTest, RefreshCurrentReadsTheRowByItsKey) {
    Dataset* ds = items("select item_name, price from items order by item_code");
    ds->setRecNo(3);
    kx::db::exec(tdb.db(), "UPDATE items SET price = 99 WHERE item_code = '003'");
    ds->refreshCurrent();
    EXPECT_EQ(ds->recNo(), 3);
    EXPECT_EQ(ds->field("price").asFloat(), 99);
}

TEST_F(DatasetTest, ARefusedPostLeavesTheRowInEditWithWhatWasTyped) {
    Dataset* ds = items();
    ds->append();
    ds->field("item_code").setValue("001"); // duplicate key
    ds->field("item_name").setValue("重复");
    EXPECT_THROW(ds->post(), kx::DbError);
    EXPECT_EQ(ds->state(), Dataset::Insert);
    EXPECT_EQ(ds->field("item_name").asString(), "重复");

    // A post-error hook may turn the failure into a silent stop after its own message.
    int hookCalls = 0;
    ds->onPostError = [&](Dataset&, const kx::DbError&) {
        ++hookCalls;
        return Dataset::PostErrorAction::Abort;
    };
    EXPECT_THROW(ds->post(), kx::SilentAbort);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(ds->state(), Dataset::Insert);
    ds->field("item_code").setValue("005");
    ds->post();
    EXPECT_EQ(kx::db::scalarText(tdb.db(), "select item_name from items where item_code='005'"), "重复");

    // A before-post check that refuses stops the post; nothing is written.
    ds->beforePost = [](Dataset& d) {
        if (d.field("price").asFloat() <= 0) throw kx::SilentAbort();
    };
    ds->edit();
    ds->field("price").setValue(0);
    EXPECT_THROW(ds->post(), kx::SilentAbort);
    EXPECT_EQ(ds->state(), Dataset::Edit);
    EXPECT_TRUE(kx::db::scalar(tdb.db(), "select price from items where item_code='005'").isNull());
}

TEST_F(DatasetTest, HooksFireInTheirOrder) {
    QStringList log;
    auto* ds = new Dataset(tdb.db(), "ds", "select * from items order by item_code", &owner);
    auto hook = [&](const char* name) { return [&log, name](Dataset&) { log << name; }; };
    ds->beforeOpen = hook("beforeOpen");
    ds->afterOpen = hook("afterOpen");
    ds->beforeInsert = hook("beforeInsert");
    ds->onNewRecord = hook("onNewRecord");
    ds->afterInsert = hook("afterInsert");
    ds->beforeEdit = hook("beforeEdit");
    ds->afterEdit = hook("afterEdit");
    ds->beforePost = hook("beforePost");
    ds->afterPost = hook("afterPost");
    ds->beforeCancel = hook("beforeCancel");
    ds->afterCancel = hook("afterCancel");
    ds->beforeDelete = hook("beforeDelete");
    ds->afterDelete = hook("afterDelete");
    ds->beforeScroll = hook("beforeScroll");
    ds->afterScroll = hook("afterScroll");
    ds->beforeClose = hook("beforeClose");
    ds->afterClose = hook("afterClose");

    struct Step {
        const char* what;
        std::function<void()> act;
        QStringList expected;
    };
    const std::vector<Step> steps = {
        {"open", [&] { ds->open(); }, {"beforeOpen", "afterOpen", "afterScroll"}},
        {"next", [&] { ds->next(); }, {"beforeScroll", "afterScroll"}},
        {"locate found", [&] { ds->locate("item_code", "004"); }, {"beforeScroll", "afterScroll"}},
        {"locate missing", [&] { ds->locate("item_code", "zzz"); }, {"beforeScroll"}},
        {"next at the end", [&] { ds->next(); }, {"beforeScroll"}},
        {"append", [&] { ds->append(); }, {"beforeInsert", "beforeScroll", "onNewRecord", "afterInsert", "afterScroll"}},
        {"post",
         [&] {
             ds->field("item_code").setValue("010");
             ds->post();
         },
         {"beforePost", "afterPost"}},
        {"edit", [&] { ds->edit(); }, {"beforeEdit", "afterEdit"}},
        {"cancel", [&] { ds->cancel(); }, {"beforeCancel", "afterCancel"}},
        {"edit and move posts",
         [&] {
             ds->edit();
             ds->field("item_name").setValue("x");
             ds->first();
         },
         {"beforeEdit", "afterEdit", "beforePost", "afterPost", "beforeScroll", "afterScroll"}},
        {"delete", [&] { ds->remove(); }, {"beforeDelete", "beforeScroll", "afterDelete", "afterScroll"}},
        {"close", [&] { ds->close(); }, {"beforeClose", "afterClose"}},
    };
    for (const Step& s : steps) {
        log.clear();
        s.act();
        EXPECT_EQ(log, s.expected) << s.what;
    }

    // An empty result fires no after-scroll on open.
    ds->setSql("select * from items where 1=0");
    log.clear();
    ds->open();
    EXPECT_EQ(log, QStringList({"beforeOpen", "afterOpen"}));
}

TEST_F(DatasetTest, MovingOffAnUnchangedEditCancelsIt) {
    Dataset* ds = items();
    ds->edit();
    ds->next();
    EXPECT_EQ(ds->state(), Dataset::Browse);
    ds->append();
    ds->prior(); // an untouched new row is dropped
    EXPECT_EQ(ds->recordCount(), 4);
}

TEST_F(DatasetTest, FilterAndLocateWorkTogether) {
    Dataset* ds = items();
    ds->applyFilter("clas_code='A' and item_real=true");
    EXPECT_EQ(codes(ds), QStringList({"002"}));
    EXPECT_FALSE(ds->locate("item_code", "004")); // outside the filter
    ds->applyFilter("clas_code<>'^-^'");          // matches every row
    EXPECT_EQ(ds->recordCount(), 4);
    ds->applyFilter("clas_code='A'");
    EXPECT_TRUE(ds->locate("item_code;item_name", {"002", "口水鸡"}));
    EXPECT_FALSE(ds->locate("item_code;item_name", {"002", "口水雞"}));
    EXPECT_FALSE(ds->locate("item_name", "拍黄瓜 ")); // exact
    ds->setFiltered(false);
    EXPECT_TRUE(ds->locate("item_code", "004"));
    EXPECT_EQ(ds->recordCount(), 4);
    ds->setFilter("price>=28.5"); // changing the expression while filtering is off keeps everything
    EXPECT_EQ(ds->recordCount(), 4);
    ds->setFiltered(true);
    EXPECT_EQ(codes(ds), QStringList({"002", "003"}));

    // Text with a quote is written doubled inside the filter.
    kx::db::exec(tdb.db(), "insert into items(item_code,item_name,clas_code) values('007',?,'C')", {"O'Neil"});
    ds->refresh();
    ds->applyFilter("item_name='O''Neil'");
    EXPECT_EQ(codes(ds), QStringList({"007"}));
    EXPECT_THROW(ds->applyFilter("item_name='x' nor clas_code='A'"), kx::DbError);
}

TEST_F(DatasetTest, LocateByCaseAndByKind) {
    Dataset* ds = items();
    struct Case {
        const char* fields;
        QVariantList values;
        bool found;
        const char* code;
    } cases[] = {
        {"item_code", {"003"}, true, "003"},
        {"item_code", {"00"}, false, ""},
        {"item_code", {"0030000"}, false, ""}, // longer than the column: no row holds it
        {"price", {68}, true, "003"},
        {"price", {"28.5"}, true, "002"},
        {"item_real;clas_code", {true, "C"}, true, "004"},
        {"item_real;clas_code", {false, "C"}, false, ""},
        {"made", {QDateTime(QDate(2026, 12, 1), QTime(18, 5, 31))}, true, "002"},
    };
    for (const Case& c : cases) {
        ds->first();
        EXPECT_EQ(ds->locate(c.fields, c.values), c.found) << c.fields;
        if (c.found) {
            EXPECT_EQ(ds->field("item_code").asString(), c.code) << c.fields;
        }
    }
}

// A search list narrows its rows with "like" patterns joined by "or", "and" binding closer.
TEST_F(DatasetTest, LikePatternsAndAlternativesFilterTheRows) {
    Dataset* ds = items();
    const struct {
        const char* filter;
        QStringList shown;
    } cases[] = {
        {"item_code like '00%'", {"001", "002", "003", "004"}},
        {"item_code like '%3'", {"003"}},
        {"item_code like '0_4'", {"004"}},
        {"item_name like '%水%'", {"002", "003"}},
        {"clas_code like 'a%'", {"001", "002"}},               // case aside
        {"item_code LIKE '004%' or clas_code LIKE 'B%'", {"003", "004"}},
        {"clas_code='A' and item_real=true or item_code='004'", {"002", "004"}},
        {"item_code='001' or clas_code='A' and price>20", {"001", "002"}},
        {"item_code like '9%' or item_name like '9%'", {}},
        {"item_code like '.*'", {}},                           // no regular expression inside
        {"made like '%'", {"001", "002"}},                    // an empty value never matches
    };
    for (const auto& c : cases) {
        ds->applyFilter(QString::fromUtf8(c.filter));
        EXPECT_EQ(codes(ds), c.shown) << c.filter;
    }
    EXPECT_THROW(ds->applyFilter("item_code like"), kx::DbError);
    EXPECT_THROW(ds->applyFilter("item_code='001' xor item_code='002'"), kx::DbError);
}

TEST_F(DatasetTest, LookupFieldsFollowTheirSourceAndItsFilter) {
    auto* classes = new Dataset(tdb.db(), "classes", "select * from classes", &owner);
    auto* ds = new Dataset(tdb.db(), "items", "select * from items order by item_code", &owner);
    ds->addLookupField("clasname", "clas_code", classes, "clas_code", "clas_name");
    classes->open();
    ds->open();
    EXPECT_EQ(ds->field("clasname").asString(), "凉菜");
    ds->last();
    EXPECT_EQ(ds->field("clasname").asString(), "酒水");
    classes->applyFilter("clas_code='A'");
    EXPECT_EQ(ds->field("clasname").asString(), ""); // no row inside the source's filter
    classes->lookupsSeeAllRows = true;                 // unless its lookups see every row
    EXPECT_EQ(ds->field("clasname").asString(), "酒水");
    classes->lookupsSeeAllRows = false;
    classes->setFiltered(false);
    classes->applyFilter("clas_code='A'");
    classes->setFiltered(false);
    classes->locate("clas_code", "C");
    classes->edit();
    classes->field("clas_name").setValue("饮品");
    classes->post();
    EXPECT_EQ(ds->field("clasname").asString(), "饮品");
    ds->edit();
    ds->field("clas_code").setValue("B");
    EXPECT_EQ(ds->field("clasname").asString(), "热菜"); // follows the key being typed
    EXPECT_THROW(ds->field("clasname").setValue("x"), kx::DbError);
}

TEST_F(DatasetTest, CalculatedFieldsAreComputedForEveryRowAndWhileEditing) {
    auto* ds = new Dataset(tdb.db(), "items", "select * from items order by item_code", &owner);
    ds->addCalculatedField("itemtota", FieldKind::Float);
    ds->onCalcFields = [](Dataset& d) {
        d.field("itemtota").setValue(d.field("price").asFloat() * d.field("qty").asFloat());
    };
    ds->open();
    EXPECT_DOUBLE_EQ(ds->valueAt(1, ds->fieldIndex("itemtota")).toDouble(), 57.0);
    EXPECT_DOUBLE_EQ(ds->valueAt(2, ds->fieldIndex("itemtota")).toDouble(), 102.0);
    ds->edit();
    ds->field("qty").setValue(3);
    EXPECT_DOUBLE_EQ(ds->field("itemtota").asFloat(), 36.0);
    ds->cancel();
    EXPECT_DOUBLE_EQ(ds->field("itemtota").asFloat(), 12.0);
}

TEST_F(DatasetTest, OldValuesAreTheStoredOnes) {
    Dataset* ds = items();
    ds->edit();
    ds->field("price").setValue(13);
    EXPECT_DOUBLE_EQ(ds->field("price").asFloat(), 13.0);
    EXPECT_DOUBLE_EQ(ds->field("price").oldValue().toDouble(), 12.0);
    ds->post();
    EXPECT_DOUBLE_EQ(ds->field("price").oldValue().toDouble(), 13.0);
}

TEST_F(DatasetTest, ValuesAreConvertedToTheColumnWhenSet) {
    Dataset* ds = items();
    ds->edit();
    ds->field("item_code").setValue("ABCDEFGH"); // text(6)
    EXPECT_EQ(ds->field("item_code").asString(), "ABCDEF");
    ds->field("qty").setValue(2.675); // decimal(18,2), halves to even
    EXPECT_DOUBLE_EQ(ds->field("qty").asFloat(), 2.68);
    ds->field("qty").setValue("0.125");
    EXPECT_DOUBLE_EQ(ds->field("qty").asFloat(), 0.12);
    ds->field("price").setAsString(" 15.5 ");
    EXPECT_DOUBLE_EQ(ds->field("price").asFloat(), 15.5);
    try {
        ds->field("price").setAsString("abc");
        FAIL() << "letters in a number field must be refused";
    } catch (const kx::ConversionError& e) {
        EXPECT_NE(QString(e.what()).indexOf("not a valid floating point value"), -1);
    }
    EXPECT_THROW(ds->field("made").setAsString("2026-13-45"), kx::ConversionError);
    ds->field("made").setAsString("2026-02-03");
    EXPECT_EQ(ds->field("made").asDateTime(), QDateTime(QDate(2026, 2, 3), QTime(0, 0)));
    ds->cancel();
    EXPECT_THROW(ds->field("price").setValue(1), kx::DbError); // not in edit
}

TEST_F(DatasetTest, ACommandRunThroughADatasetGivesItsSelectBack) {
    Dataset* ds = items();
    const int n = ds->execCommand("update items set price=price+? where clas_code=?", {1, "A"});
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(ds->active());
    EXPECT_EQ(ds->sql(), "SELECT * FROM items order by item_code");
    EXPECT_DOUBLE_EQ(ds->field("price").asFloat(), 13.0);
}

TEST_F(DatasetTest, AJoinIsReadOnly) {
    Dataset* ds = items("select i.item_code, c.clas_name from items i, classes c where i.clas_code=c.clas_code");
    EXPECT_FALSE(ds->canModify());
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_THROW(ds->append(), kx::DbError);
    Dataset* aliased = items("select * from items as i where i.clas_code='A' order by i.item_code");
    EXPECT_TRUE(aliased->canModify());
    EXPECT_EQ(aliased->baseTable(), "items");
}

TEST_F(DatasetTest, SuspendedControlsHearOneResetWhenResumed) {
    Dataset* ds = items();
    QSignalSpy resets(ds, &Dataset::reset);
    QSignalSpy moves(ds, &Dataset::currentChanged);
    ds->disableControls();
    for (ds->first(); !ds->eof(); ds->next()) {
    }
    ds->applyFilter("clas_code='A'");
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(moves.count(), 0);
    ds->enableControls();
    EXPECT_EQ(resets.count(), 1);
}

TEST_F(DatasetTest, TheModelFollowsEveryChange) {
    Dataset* ds = items();
    kx::db::DatasetModel model(ds, {{"item_code", "编号", ""},
                                    {"price", "单价", "0.00"},
                                    {"item_real", "实价", "", 0, true},
                                    {"made", "时间", "yyyy-mm-dd hh:nn"}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "单价");
    EXPECT_EQ(model.index(1, 1).data().toString(), "28.50");
    EXPECT_EQ(model.index(1, 2).data().toString(), "√");
    EXPECT_EQ(model.index(0, 2).data().toString(), "");
    EXPECT_EQ(model.index(1, 3).data().toString(), "2026-12-01 18:05");
    ds->append();
    EXPECT_EQ(model.rowCount(), 5);
    ds->field("item_code").setValue("011");
    EXPECT_EQ(model.index(4, 0).data().toString(), "011");
    ds->post();
    ds->applyFilter("clas_code='A'");
    EXPECT_EQ(model.rowCount(), 2);
    ds->remove();
    EXPECT_EQ(model.rowCount(), 1);
    ds->close();
    EXPECT_EQ(model.rowCount(), 0);
    ds->open(); // the filter stays on across a reopen
    EXPECT_EQ(model.rowCount(), 1);
    ds->setFiltered(false);
    EXPECT_EQ(model.rowCount(), 4);
}

TEST(DisplayFormat, NumbersAndDates) {
    kx::db::FieldDef number;
    number.kind = FieldKind::Float;
    kx::db::FieldDef when;
    when.kind = FieldKind::DateTime;
    const QDateTime dt(QDate(2026, 3, 4), QTime(5, 6, 7));
    struct Case {
        const kx::db::FieldDef* def;
        QVariant value;
        const char* format;
        const char* shown;
    } cases[] = {
        {&number, 1234567.125, "#,##0.00", "1,234,567.12"},
        {&number, -1234.5, "#,##0.00", "-1,234.50"},
        {&number, 2.5, "0", "2"},
        {&number, 0.0, "0.00", "0.00"},
        {&when, dt, "yyyy-mm-dd", "2026-03-04"},
        {&when, dt, "hh:nn", "05:06"},
        {&when, dt, "yyyy-mm-dd hh:nn:ss", "2026-03-04 05:06:07"},
        {&when, dt, "mm-dd", "03-04"},
        {&when, dt, "hh:mm:ss", "05:06:07"}, // a time band: minutes after the hours
        {&number, 85.0, "##%", "85%"},
        {&number, 55.55555, "0.0%", "55.6%"}, // a margin: the value is the percentage
        {&number, -12.25, "0.0%", "-12.2%"},
        {&number, 12.5, "0.##", "12.5"},
        {&number, 12.0, "0.##", "12"},
        {&number, 0.125, "0.##", "0.12"}, // halves to even
    };
    for (const Case& c : cases)
        EXPECT_EQ(kx::db::formatValue(*c.def, c.value, c.format), c.shown) << c.format;
}

} // namespace

namespace {

// Reading a few rows again after an action changed them: the snapshot ends as a whole refresh
// would leave it (in its rows, values and filter), the current row stays where it was.
TEST_F(DatasetTest, RefreshRowsReadsOnlyTheRowsNamedAndKeepsTheCurrentOne) {
    struct Case {
        const char* name;
        std::vector<const char*> statements;
        QVariantList keys;
        QStringList codes;  // visible afterwards
        QString current;    // current afterwards
        bool filtered;
    } cases[] = {
        {"a value changed", {"UPDATE items SET price = 99 WHERE item_code = '003'"}, {"003"},
         {"001", "002", "003", "004"}, "002", false},
        {"a row deleted", {"DELETE FROM items WHERE item_code = '001'"}, {"001"}, {"002", "003", "004"}, "002", false},
        {"the current row deleted", {"DELETE FROM items WHERE item_code = '002'"}, {"002"}, {"001", "003", "004"},
         "003", false},
        {"a row added", {"INSERT INTO items (item_code, item_name, clas_code, price) VALUES ('005', '可乐', 'C', 6)"},
         {"005"}, {"001", "002", "003", "004", "005"}, "002", false},
        {"a key named but never there", {}, {"999"}, {"001", "002", "003", "004"}, "002", false},
        {"a row leaves the filter", {"UPDATE items SET clas_code = 'B' WHERE item_code = '001'"}, {"001"}, {"002"},
         "002", true},
        {"a row enters the filter", {"UPDATE items SET clas_code = 'A' WHERE item_code = '004'"}, {"004"},
         {"001", "002", "004"}, "002", true},
        {"rows changed elsewhere stay as read", {"UPDATE items SET price = 1 WHERE item_code IN ('001', '004')"},
         {"004"}, {"001", "002", "003", "004"}, "002", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tdb.run({"DELETE FROM items", "INSERT INTO items VALUES ('001', '拍黄瓜', 'A', 12, 1, 0, NULL, 3)",
                 "INSERT INTO items VALUES ('002', '口水鸡', 'A', 28.5, 2, 1, NULL, 4)",
                 "INSERT INTO items VALUES ('003', '水煮鱼', 'B', 68, 1.5, 0, NULL, 5)",
                 "INSERT INTO items VALUES ('004', '啤酒', 'C', 10, 12, 1, NULL, 6)"});
        Dataset* ds = items();
        if (c.filtered) ds->applyFilter("clas_code='A'");
        ASSERT_TRUE(ds->locate("item_code", "002"));
        for (const char* st : c.statements) kx::db::exec(tdb.db(), st);
        ds->refreshRows("item_code", c.keys);
        EXPECT_EQ(codes(ds), c.codes);
        EXPECT_EQ(ds->field("item_code").asString(), c.current);
        // Each refreshed row holds what the database holds; the others what was read before.
        for (const QVariant& k : c.keys) {
            if (!ds->locate("item_code", k)) continue;
            EXPECT_EQ(ds->field("price").asFloat(),
                      kx::db::scalarNumber(tdb.db(), "SELECT price FROM items WHERE item_code = ?", {k}));
        }
        if (QString(c.name).startsWith("rows changed elsewhere")) {
            ASSERT_TRUE(ds->locate("item_code", "001"));
            EXPECT_EQ(ds->field("price").asFloat(), 12);
        }
        // A refreshed row can be edited and posted like any other.
        if (ds->locate("item_code", c.keys.first())) {
            ds->edit();
            ds->field("item_name").setValue("改");
            ds->post();
            EXPECT_EQ(kx::db::scalarText(tdb.db(), "SELECT item_name FROM items WHERE item_code = ?", {c.keys.first()}),
                      "改");
        }
        delete ds;
    }
}

TEST_F(DatasetTest, RefreshRowsTellsTheGridWhatChanged) {
    Dataset* ds = items();
    kx::db::DatasetModel model(ds, {{"item_code", "编号", ""}, {"price", "单价", "0.00"}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    kx::db::exec(tdb.db(), "UPDATE items SET price = 70 WHERE item_code = '003'");
    ds->refreshRows("item_code", {"003"});
    EXPECT_EQ(resets.count(), 0);
    EXPECT_GE(changes.count(), 1);
    EXPECT_EQ(model.index(2, 1).data().toString(), "70.00");
    kx::db::exec(tdb.db(), "INSERT INTO items (item_code, price) VALUES ('006', 1)");
    ds->refreshRows("item_code", {"006"});
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 5);
}

// What another desk does between two reads, and whether the views must start again.
struct RereadCase {
    const char* what;
    const char* change; // empty: nothing changed
    bool viewsStartAgain;
};

class RereadTest : public DatasetTest, public ::testing::WithParamInterface<RereadCase> {
protected:
    // Every value of every visible row, as the grid would show them.
    QStringList contents(Dataset* ds) {
        QStringList out;
        for (int r = 0; r < ds->recordCount(); ++r)
            for (int f = 0; f < ds->fieldCount(); ++f) out << ds->valueAt(r, f).toString();
        return out;
    }
};

TEST_P(RereadTest, EndsAsARefreshAndTellsTheViewsOnlyWhatChanged) {
    Dataset* ds = items();
    ds->applyFilter("clas_code<>'C'");
    ds->last();
    kx::db::DatasetModel model(ds, {{"item_code", "编号", ""}, {"price", "单价", "0.00"}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    if (*GetParam().change) kx::db::exec(tdb.db(), GetParam().change);

    ds->reread();
    Dataset* fresh = items();
    fresh->applyFilter("clas_code<>'C'");
    EXPECT_EQ(contents(ds), contents(fresh));
    EXPECT_EQ(ds->recNo(), 1);
    EXPECT_EQ(model.rowCount(), fresh->recordCount());
    EXPECT_EQ(resets.count(), GetParam().viewsStartAgain ? 1 : 0);
    if (!GetParam().viewsStartAgain) {
        // One value changed: that row's cells; otherwise only the current-row marks.
        const bool oneRow = *GetParam().change != 0;
        bool rowTold = false;
        for (const QList<QVariant>& c : changes)
            if (c[0].value<QModelIndex>().row() == 1 && c[1].value<QModelIndex>().row() == 1) rowTold = true;
        EXPECT_EQ(rowTold, oneRow);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RereadTest,
    ::testing::Values(RereadCase{"nothing", "", false},
                      RereadCase{"a price", "UPDATE items SET price = 30 WHERE item_code = '002'", false},
                      RereadCase{"a new row", "INSERT INTO items (item_code, clas_code) VALUES ('0025', 'A')", true},
                      RereadCase{"a row gone", "DELETE FROM items WHERE item_code = '001'", true},
                      RereadCase{"a row out of the filter", "UPDATE items SET clas_code = 'C' WHERE item_code = '003'", true},
                      RereadCase{"a row into the filter", "UPDATE items SET clas_code = 'B' WHERE item_code = '004'", true}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& c : n)
            if (c == ' ') c = '_';
        return n;
    });

TEST_F(DatasetTest, TheSameFilterAgainMovesToTheFirstRowWithoutStartingTheViewsAgain) {
    Dataset* ds = items();
    ds->applyFilter("clas_code='A'");
    ds->last();
    kx::db::DatasetModel model(ds, {{"item_code", "编号", ""}});
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    ds->applyFilter("clas_code='A'");
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(ds->recNo(), 1);
    EXPECT_EQ(codes(ds), QStringList({"001", "002"}));
    ds->applyFilter("clas_code='B'");
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(codes(ds), QStringList({"003"}));
}

} // namespace
