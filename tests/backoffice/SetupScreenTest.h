#pragma once
// The back office logged in, its setup tree at hand: leaves clicked, edits typed, toolbar
// buttons pressed as the manager does.
#include "BackOfficeFixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

namespace kx::test {

class SetupScreenTest : public BackOfficeTest {
  protected:
    void SetUp() override {
        BackOfficeTest::SetUp();
        logIn();
        prompter.clear();
    }
    // A leaf of a tree clicked; the tree's menu command shows it first when another tree shows.
    void clickLeaf(QAction* menu, QWidget* treePanel, QTreeWidget* tree, const char* caption) {
        if (!treePanel->isVisible()) menu->trigger();
        QTreeWidgetItem* leaf = backoffice::TFormChild::leaf(tree, QString::fromUtf8(caption));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(leaf).center());
        QApplication::processEvents();
        prompter.clear();
    }
    // "系统设置", "管理设置" and "库存管理".
    void openLeaf(const char* caption) { clickLeaf(main->N3, child->pnl_SysSetup, child->tv_Setup, caption); }
    void openManageLeaf(const char* caption) {
        clickLeaf(main->N4, child->pnl_SysManage, child->tv_SysManage, caption);
    }
    void openStockLeaf(const char* caption) { clickLeaf(main->N8, child->pnl_store, child->tv_Store, caption); }
    QLineEdit* edit(const char* name) const { return main->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    template <class W> W* control(const char* name) const { return main->findChild<W*>(QString::fromLatin1(name)); }
    // Keys typed into an edit; text beyond ASCII arrives as an input method commits it.
    void type(const char* name, const QString& text, bool replace = true) {
        QLineEdit* e = edit(name);
        e->setFocus();
        if (replace) e->selectAll();
        else QTest::keyClick(e, Qt::Key_End);
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii) {
            QTest::keyClicks(e, text);
            return;
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(e, &commit);
    }
    void press(QToolButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
    void deleteCurrent() {
        prompter.answer(true);
        press(main->toolb_Del);
    }
    QString lastText() const { return prompter.texts().isEmpty() ? QString() : prompter.texts().last(); }
    // The item screen on an item, through the kind and class side lists.
    void showItem(const QString& cls, const QString& item) {
        openLeaf("项目");
        ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", cls.left(1)));
        ASSERT_TRUE(setup->adoqry_ConsClass->locate("clas_code", cls));
        ASSERT_TRUE(setup->adoqry_ConsItem->locate("item_code", item)) << item.toStdString();
    }
    // What a grid shows, a row per line, the given cells (every cell when none given) joined by "|".
    QStringList shown(const char* gridName, std::initializer_list<int> columns = {}) const {
        QAbstractItemModel* m = control<QTableView>(gridName)->model();
        QStringList rows;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            if (columns.size() == 0)
                for (int c = 0; c < m->columnCount(); ++c)
                    cells << m->index(r, c).data().toString();
            for (int c : columns)
                cells << m->index(r, c).data().toString();
            rows << cells.join('|');
        }
        return rows;
    }
    QStringList captions(const char* gridName) const {
        QAbstractItemModel* m = control<QTableView>(gridName)->model();
        QStringList out;
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->headerData(c, Qt::Horizontal).toString();
        return out;
    }
    // A date typed into a date box from its first section on.
    void typeDate(const char* name, const QDate& date) {
        auto* edit = control<QDateEdit>(name);
        edit->setFocus();
        edit->setSelectedSection(QDateTimeEdit::YearSection);
        QTest::keyClicks(edit, date.toString("yyyyMMdd"));
        ASSERT_EQ(edit->date(), date) << name;
    }
    // The visible toolbar buttons' captions, left to right.
    QStringList toolbar() const {
        QStringList out;
        for (QToolButton* b : {main->toolb_Add, main->toolb_Del, main->toolb_Cancel, main->toolb_Save,
                               main->toolb_run, main->toolb_store, main->toolb_Back, main->toolb_Search})
            if (b->isVisible()) out << b->text();
        return out;
    }
};

} // namespace kx::test
