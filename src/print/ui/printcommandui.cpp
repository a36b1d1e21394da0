#include "printcommandui.h"

#include "engine.h"
#include "goodssession.h"
#include "labelcountform.h"
#include "prepareprintingform.h"
#include "printcommand.h"
#include "printgoods.h"
#include "prompter.h"
#include "settings.h"
#include "showlabelform.h"
#include "startcellform.h"

#include <QProgressBar>

void sbtnDoPrintClick(const TPrintPieces& p) {
    TPreparePrintingForm& form = *p.PrepareForm;
    TPrintCommand command(p.Settings, form.CancelRequested);
    command.PrinterBoxText = p.PrinterBoxText ? p.PrinterBoxText() : QString();
    command.OrientationText = p.OrientationText ? p.OrientationText() : QString();
    command.FrameColor = p.FrameColor ? p.FrameColor() : QColor(Qt::black);
    command.QueryLabelCount = [](int records, int& copies) { return QueryLabelCount(records, copies); };
    command.QueryStartCell = [](const TCellGrid& page, int& cell) { return QueryStartCell(page, cell); };
    command.SetProgressMaximum = [&form](int max) { form.prPrepare->setRange(0, std::max(max, 1)); };
    command.StepProgress = [&form] {
        if (form.prPrepare->value() < form.prPrepare->maximum()) form.prPrepare->setValue(form.prPrepare->value() + 1);
    };
    form.PrintViewCode = TViewCode::Marked;
    form.PrintSelected = [&command, &p](TViewCode viewCode) { command.PrintSelected(viewCode, *p.Goods.Store); };
    Prompter::current().runDialog(form);
    form.PrintSelected = nullptr;
}

void tbShowClick(const TPrintPieces& p) {
    static const QString kNoRecord = QStringLiteral("Nie ma wybranego rekordu bazy danych do wydrukowania.");
    TTable& list = p.Goods.tbLocalShow;
    TPrintGoods goods;
    try {
        if (!list.Active() || list.IsEmpty()) {
            Prompter::current().error(kNoRecord);
            return;
        }
        goods = ReadGoodsRecord(list);
    } catch (const TEngineError&) {
        Prompter::current().error(kNoRecord);
        return;
    }
    goods.ID.clear();
    // The preview shows the design on screen, saved or not; printing reads
    // the layout file of the settings.
    if (p.SaveDesign) p.SaveDesign(PreviewLayoutPath());
    // A roll printer prints the label as a page of its own.
    const QString printer = p.PrinterBoxText ? p.PrinterBoxText() : QString();
    std::optional<QPoint> roll;
    if (!printer.isEmpty() && p.Settings.Papers.Get(printer).Roll) roll = p.Settings.Calibrations.Get(printer);
    ShowLabelPreview(goods, PrintOptionsOf(p.Settings), p.Parent, roll);
}
