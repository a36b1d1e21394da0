#pragma once
#include "engine.h"
#include "goodsgrid.h"
#include "goodssession.h"
#include "selectcounter.h"
#include "unitprice.h"
#include "views.h"

#include <QDateTime>
#include <QStringList>
#include <QWidget>
#include <functional>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class TGoodsListModel;

// What the goods page needs to know from the program around it.
struct TGoodsPageContext {
    std::function<QDateTime()> LastPrintDate;  // moment of the last print command
    std::function<TUnitSymbols()> UnitSymbols;
    std::function<bool()> Loading;  // the start-up loading step is running
};

// Page 0 of the main window: the navigator, the goods grid and the bottom panel
// with the counter, views, search, marking and the print buttons. It works on
// the goods session of the window: its two table objects and its counter.
class TGoodsPage : public QWidget {
    Q_OBJECT
public:
    TGoodsPage(TGoodsSession& session, TGoodsPageContext context, QWidget* parent = nullptr);
    ~TGoodsPage() override;

    TGoodsSession& Session;
    TTable& tbLocal;      // the session's whole table
    TTable& tbLocalShow;  // the session's list
    TSelectCounter& SelectCounter;
    bool TogglingSelection = false;

    // Start-up: creates the table when missing and opens the list; returns the
    // start-up errors.
    QStringList OpenGoodsList();
    // The grid's column widths from its current width.
    void LayoutColumns();

    // The view of the view box's current item.
    TViewCode CurrentViewCode() const;
    // Selects item `item` of the view box (see ViewCodeOfItem) and applies it.
    void ShowView(int item);
    // The same by the view; nothing for a view the box does not offer.
    void ShowView(TViewCode view);
    void ApplyView();
    void ClearAllSelections(bool hourglass);
    void sbtnCheckAllClick();
    // The check type of "Zaznacz" with its caption, without a selection run.
    void SetCheckType(TViewCode type);
    // The same from the number the settings hold (CHECKTYPE, see
    // CheckTypeFromSetting).
    void SetCheckType(int settingsNumber);
    TViewCode CheckType() const;
    // Chooses a check type as the popup does: caption, type, selection run.
    void ChooseCheckType(TViewCode type);
    // Runs a selection by type with another check type, then puts the button's back.
    void SelectWithType(TViewCode type);
    void ToggleCurrentMark();
    void Search(const QString& text);
    bool EditRecordDialog(bool insertMode);

    // List commands of the navigator and the "Edycja" menu.
    void First();
    void Prior();
    void Next();
    void Last();
    void InsertRecord();
    void DeleteRecord();
    void EditRecord();
    bool AtBeginning();
    bool AtEnd();
    bool IsEmpty();

    // The grid follows the list's current record (after any change of the table).
    void ListChanged();
    TGoodsListModel* Model() const { return ListModel; }

    QWidget* DBNavigator1;
    QToolButton* nbFirst;
    QToolButton* nbPrior;
    QToolButton* nbNext;
    QToolButton* nbLast;
    QToolButton* nbInsert;
    QToolButton* nbDelete;
    QToolButton* nbEdit;
    TGoodsGrid* gdMain;
    QFrame* plBottomDB;
    QLabel* stConterInfo;
    QComboBox* cbShowType;
    QLineEdit* edFindRecord;
    QToolButton* sbtnDoPrint;
    QToolButton* sbtnShow;
    QToolButton* sbtnUnCheckAll;
    QToolButton* sbtnCheckAll;
    QToolButton* sbtnCheckTypeChange;
    QMenu* pmCheckType;
    QFrame* Bevel1;

signals:
    void DoPrintClicked();
    void ShowClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildNavigator();
    void BuildBottomPanel();
    void InstallTableEvents();
    void SetListButtons(bool hasRecords);
    void UpdateListButtons();
    void SyncGridToTable();
    void UpdateNavigator();
    void CheckPopupItem();
    void GridCurrentChanged(const QModelIndex& current);
    void OnCounterChange(int count);
    void AfterInsert();
    void AfterEdit();
    void BeforeDelete();
    // Runs a command on the list, absorbing a table failure; then the grid
    // follows the current record, after reading the list anew when `reread`.
    void RunListCommand(const char* what, const std::function<void()>& command, bool reread);

    TGoodsPageContext Context;
    TGoodsListModel* ListModel = nullptr;
    QActionGroup* CheckTypeGroup = nullptr;
    bool Syncing = false;
};
