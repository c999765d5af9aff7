#pragma once
// The order screen pnl_ConsItem: the order pad of the visit on the left with its line editor,
// the items to pick from on the right (by number, from the kind and class lists, or the panel
// that adds a new item), and the price panel. Opened from the work screen ("点单 +"); the
// screen's keys are the main window's short cuts of pnl_ConsItem.
#include "Ordering.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <memory>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolBar;
class QToolButton;

namespace kx {
class StatusProgress;
}
namespace kx::db {
class Dataset;
class DatasetModel;
}

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

class OrderScreen : public QObject {
    Q_OBJECT
public:
    // Builds the screen on the work form and registers its actions with the main window
    // ("work.order", "work.kitchen" and the cons.* keys of the order screen).
    OrderScreen(TFormWMain* main, TFormWork* work, TDMTable* dm);
    ~OrderScreen() override;

    Ordering& ordering() { return ordering_; }
    // True while the order screen is shown (between opening and leaving it).
    bool isOpen() const { return open_; }

    enum class PickMode { Number, List, AddItem };
    PickMode pickMode() const { return pickMode_; }

    // --- the screen's controls
    QFrame* pnl_ConsItem;
    QToolBar* ToolBar4;
    QToolButton* toolb_Delete;   // 删除 -
    QToolButton* toolb_Commit;   // 落单 *
    QToolButton* toolb_Back;     // 回退
    QToolButton* toolb_Mode1;    // 点单 F5
    QToolButton* toolb_Mode2;    // 退单 F6
    QToolButton* toolb_Mode3;    // 赠单 F7
    QToolButton* toolb_Mode4;    // 退赠 F8
    QToolButton* toolb_Price;    // 价格调整
    QToolButton* toolb_ByNumber; // 编号选单
    QToolButton* toolb_ByList;   // 列表选单
    QToolButton* toolb_AddItem;  // 加菜

    QTableView* DBGrid1; // the pad
    QFrame* Panel30;     // the line editor
    QLabel* lbl_Table;
    QLabel* lbl_Item;
    QLabel* lbl_Stock;
    QLineEdit* dbe_unitpric;
    QLineEdit* dbe_number;
    QComboBox* dbl_Narr;
    QComboBox* dbl_ItemType;
    QComboBox* dbl_worker;

    QFrame* pnl_ConsItemP;
    QFrame* pnl_number;
    QTableView* DBGrid2;
    QLineEdit* EditDict_Number;
    QFrame* pnl_Change;
    QTableView* DBGrid33;
    QTableView* DBGrid5;
    QTableView* DBGrid4;

    QFrame* pnl_additem;
    QTableView* dbg_AddKind;
    QTableView* dbg_AddClass;
    QLabel* lbl_KindClass;
    QLineEdit* Edit12; // 编码
    QLineEdit* Edit13; // 名称
    QLineEdit* Edit14; // 单位
    QLineEdit* Edit15; // 单价
    QLineEdit* Edit16; // 快捷
    QPushButton* SpeedButton14;

    QFrame* pnl_resetpric;
    QLabel* lbl_PriceItem;
    QLabel* lbl_OldPrice;
    QLineEdit* Edit20;
    QLineEdit* Edit21;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;

    // --- what the buttons and keys do
    void open();          // "点单 +"
    void showByNumber();  // "编号选单", F11
    void showByList();    // "列表选单"
    void showAddItem();   // "加菜"
    Ordering::Pick pick(); // the pick action of the item grids
    void chooseMode(const QString& code); // F5 to F8
    void deleteLine();    // "删除 -"
    void commit();        // "落单 *"
    void back();          // "回退", Esc
    void openPriceChange();
    void confirmPriceChange();
    void cancelPriceChange();
    void saveNewItem();
    void printKitchenList(); // "后厨" on the work screen

    // Whether the first column of DBGrid2 shows that the grid chooses among search results.
    bool choosingInGrid() const { return teal_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void buildToolBar();
    void buildPad();
    void buildNumberPanel();
    void buildListPanel();
    void buildAddItemPanel();
    void buildPricePanel();
    void wire();
    void leave();
    void setEditorsEnabled(bool on);
    void followPadLine();
    void searchChanged(const QString& text);
    void showAllItems();
    void restoreItemsSql();
    // Forgets the item names shown on the pad; they are read again as lines need them.
    void forgetItemNames();
    void setTeal(bool on);
    // After the quantity or price of a line: back to where items are chosen.
    void backToPicking();
    void afterCheck(Ordering::Check check);
    void setPriceChangeOpen(bool on);
    void showKindAndClass();
    void takeTypedQuantity();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    Ordering ordering_;
    QPointer<db::Dataset> pad_;
    bool open_ = false;
    bool teal_ = false;
    bool searching_ = false; // the items hold the results of a number search
    bool editorsEnabled_ = false;
    PickMode pickMode_ = PickMode::Number;
    QButtonGroup* pickModes_ = nullptr;
    db::DatasetModel* padModel_ = nullptr;
    db::DatasetModel* numberModel_ = nullptr;
    db::DatasetModel* listModel_ = nullptr;
    std::unique_ptr<StatusProgress> progress_;
    // Names and units of every item, for the pad's lines whatever the items' filter shows.
    QHash<QString, QPair<QString, QString>> itemNames_;
};

} // namespace kx::frontdesk
