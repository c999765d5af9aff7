// Consumption modes kept from the setup tree's "消费方式": the amount's caption by consumption
// type, the rules that keep a mode in use, and the time bands of a time-band mode.
//
// Sample venue: modes 01 (type 1) … 06 KTV分时段 (type 9, with five priced bands); each used by a
// table type. The band template has five bands from 00:00:00 to 23:59:59.
#include "SetupScreenTest.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

using kx::db::Dataset;

namespace {

class ConsModeTest : public kx::test::SetupScreenTest {
  protected:
    void SetUp() override {
        SetupScreenTest::SetUp();
        openLeaf("消费方式");
        ASSERT_EQ(main->CurrentDataset, setup->adoqry_ConsMode);
    }
    void chooseType(const QString& code) {
        auto* b = control<QComboBox>("DBLookupComboBox4");
        const int at = b->findData(code);
        ASSERT_GE(at, 0) << code.toStdString();
        b->setCurrentIndex(at);
        emit b->activated(at);
        QApplication::processEvents();
    }
    // A new mode typed and stored.
    void newMode(const QString& code, const QString& name, const QString& type) {
        press(main->toolb_Add);
        this->type("DBEdit29", code);
        this->type("DBEdit30", name);
        chooseType(type);
        press(main->toolb_Save);
        ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", code));
    }
    void openBands() {
        QTest::mouseClick(control<QPushButton>("sb_ConsMode"), Qt::LeftButton);
        QApplication::processEvents();
    }
    qint64 bands(const QString& mode) const {
        return kx::db::scalarInt(db(), "select count(*) from ConsTimeMode where cons_mode_code = ?", {mode});
    }
    // What the amount's row shows: its caption, or "-" when hidden; "+" when the band button shows.
    QString amountRow() const {
        auto* caption = control<QLabel>("lbl_ConsMode");
        QString out = caption->isVisibleTo(main) && edit("dbe_ConsMode")->isVisibleTo(main) ? caption->text() : "-";
        if (control<QPushButton>("sb_ConsMode")->isVisibleTo(main)) out += '+';
        return out;
    }
};

TEST_F(ConsModeTest, TheAmountIsCaptionedByTheConsumptionType) {
    press(main->toolb_Add);
    const struct {
        const char* type;
        const char* shows;
    } cases[] = {{"2", "最低消费"}, {"1", "-"},  {"3", "小时费"},   {"4", "房间费"}, {"5", "每人最低消费"},
                 {"6", "小时费"},   {"7", "茶位费"}, {"8", "每日房费"}, {"9", "-+"},    {"A", "每日房费"}};
    for (const auto& c : cases) {
        chooseType(c.type);
        EXPECT_EQ(amountRow(), QString::fromUtf8(c.shows)) << c.type;
    }
    press(main->toolb_Cancel);
    // And on every move.
    Dataset* modes = setup->adoqry_ConsMode;
    const struct {
        const char* mode;
        const char* shows;
    } rows[] = {{"06", "-+"}, {"03", "最低消费"}, {"01", "-"}, {"04", "每人最低消费"}};
    for (const auto& r : rows) {
        ASSERT_TRUE(modes->locate("cons_mode_code", QString(r.mode)));
        EXPECT_EQ(amountRow(), QString::fromUtf8(r.shows)) << r.mode;
    }
}

TEST_F(ConsModeTest, TheAmountTakesOnePointAndTheRatesDigitsOnly) {
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString("03")));
    type("dbe_ConsMode", "1a2.5.6");
    EXPECT_EQ(edit("dbe_ConsMode")->text(), "12.56");
    type("DBEdit32", "1.57");
    EXPECT_EQ(edit("DBEdit32")->text(), "15");
    type("DBEdit31", "1234567");
    EXPECT_EQ(edit("DBEdit31")->text(), "123456");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select cons_mode_mone || '/' || cons_mode_serv || '/' || cons_mode_achi "
                                       "from ConsModeList where cons_mode_code = '03'"),
              "12.56/15/123456");
}

TEST_F(ConsModeTest, ANewTimeBandModeGetsTheTemplateOnceAndItsPricesAreTyped) {
    newMode("07", "KTV包夜", "9");
    EXPECT_EQ(bands("07"), 0);
    openBands();
    Dataset* bandRows = setup->adoqry_ConsTimeMode;
    EXPECT_EQ(main->CurrentDataset, bandRows);
    EXPECT_TRUE(control<QWidget>("pnl_ConsTimeMode")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"取消", "回退"}));
    EXPECT_EQ(control<QLabel>("lbl_ConsTimeMode")->text(), "KTV包夜");
    EXPECT_EQ(bands("07"), 5);
    EXPECT_EQ(bandRows->recordCount(), 5);
    // The times as times of day, not to be typed over.
    EXPECT_EQ(edit("dbe_TimeStar")->text(), "00:00:00");
    EXPECT_EQ(edit("dbe_TimeEnd")->text(), "06:00:00");
    EXPECT_FALSE(edit("dbe_TimeStar")->isEnabled());
    EXPECT_FALSE(edit("dbe_TimeEnd")->isEnabled());
    type("DBEdit41", "8x8.5");
    EXPECT_EQ(edit("DBEdit41")->text(), "88.5");
    EXPECT_EQ(edit("dbe_TimeEnd")->text(), "06:00:00"); // still, while the row is edited
    press(main->toolb_Back);
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsMode);
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存"}));
    EXPECT_EQ(kx::db::scalarNumber(db(), "select cons_time_mone from ConsTimeMode where cons_mode_code = '07' "
                                         "order by cons_time_code limit 1"),
              88.5);

    // Again, and after another mode's bands: nothing more is copied.
    openBands();
    press(main->toolb_Back);
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString("06")));
    openBands();
    EXPECT_EQ(setup->adoqry_ConsTimeMode->recordCount(), 5);
    EXPECT_EQ(setup->adoqry_ConsTimeMode->field("cons_time_mone").asFloat(), 60);
    press(main->toolb_Back);
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString("07")));
    openBands();
    EXPECT_EQ(bands("07"), 5);
    EXPECT_EQ(bands("06"), 5);
    // A tree click stores a price being typed as "回退" does.
    type("DBEdit41", "99");
    openLeaf("部门");
    EXPECT_EQ(kx::db::scalarNumber(db(), "select cons_time_mone from ConsTimeMode where cons_mode_code = '07' "
                                         "order by cons_time_code limit 1"),
              99);
}

TEST_F(ConsModeTest, AModesBandsFollowItsCodeAndGoWithIt) {
    newMode("07", "KTV包夜", "9");
    openBands();
    press(main->toolb_Back);
    type("DBEdit29", "08");
    press(main->toolb_Save);
    EXPECT_EQ(bands("07"), 0);
    EXPECT_EQ(bands("08"), 5);
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString("08")));
    deleteCurrent();
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from ConsModeList where cons_mode_code = '08'"), 0);
    EXPECT_EQ(bands("08"), 0);
}

TEST_F(ConsModeTest, ANewModeNeedsCodeNameAndType) {
    press(main->toolb_Add);
    type("DBEdit29", "07");
    type("DBEdit30", "X");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "消费方式[编码]、[名称]、[消费类型]不能为空！");
    // Its bands cannot be opened before it stores.
    chooseType("9");
    type("DBEdit29", "01");
    openBands();
    EXPECT_EQ(lastText(), "编号有重复，请从新输入！");
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsMode);
    EXPECT_EQ(bands("01"), 0);
}

struct ModeInUse {
    const char* name;
    friend void PrintTo(const ModeInUse& c, std::ostream* os) { *os << c.name; }
    const char* prepare; // statements joined by ";"
    const char* mode;
    const char* newCode; // empty: delete
    const char* message;
};

class ModesInUse : public ConsModeTest, public ::testing::WithParamInterface<ModeInUse> {};

TEST_P(ModesInUse, StayAsTheyAre) {
    const ModeInUse& c = GetParam();
    if (*c.prepare) {
        for (const QString& sql : QString::fromUtf8(c.prepare).split(';'))
            kx::db::exec(db(), sql);
        setup->adoqry_ConsMode->refresh();
    }
    ASSERT_TRUE(setup->adoqry_ConsMode->locate("cons_mode_code", QString(c.mode)));
    if (*c.newCode) {
        type("DBEdit29", c.newCode);
        press(main->toolb_Save);
    } else {
        deleteCurrent();
    }
    EXPECT_EQ(lastText(), QString::fromUtf8(c.message));
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from ConsModeList where cons_mode_code = ?", {QString(c.mode)}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModesInUse,
    ::testing::Values(
        ModeInUse{"ByATypeNotDeleted", "", "06", "", "[消费类型]正在被使用，不能被删除!"},
        ModeInUse{"ByATypeNotRecoded", "", "06", "09", "[消费类型]正在被使用，不能被修改!"},
        ModeInUse{"ByAVisitNotDeleted",
                  "insert into ConsModeList (cons_mode_code, cons_mode_name, cons_type_code) values ('07', 'X', '1');"
                  "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, cons_mode_code) values (900, 'A01', '07')",
                  "07", "", "[消费类型]正在被[前台操作]使用，不能被删除!"},
        ModeInUse{"ByAVisitNotRecoded",
                  "insert into ConsModeList (cons_mode_code, cons_mode_name, cons_type_code) values ('07', 'X', '1');"
                  "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, cons_mode_code) values (900, 'A01', '07')",
                  "07", "09", "[消费类型]正在被[前台操作]使用，不能被使用!"},
        ModeInUse{"ACodeTakenIsADuplicate",
                  "insert into ConsModeList (cons_mode_code, cons_mode_name, cons_type_code) values ('07', 'X', '1')",
                  "07", "01", "编号有重复，请从新输入！"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
