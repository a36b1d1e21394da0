#include "printcommandui.h"

#include "engine.h"
#include "labelcountform.h"
#include "preparepringform.h"
#include "printcommand.h"
#include "printgoods.h"
#include "prompter.h"
#include "showlabelform.h"

#include <QProgressBar>

void sbtnDoPrintClick(const TPrintPieces& p) {
    TPreparePrintingForm& form = *p.PrepareForm;
    TPrintCommand command;
    command.PrinterBoxText = p.PrinterBoxText ? p.PrinterBoxText() : QString();
    command.PrinterSetting = p.PrinterSetting ? p.PrinterSetting() : QString();
    command.OrientationText = p.OrientationText ? p.OrientationText() : QString();
    command.FrameColor = p.FrameColor ? p.FrameColor() : QColor(Qt::black);
    command.LayoutFileName = p.LayoutFileName ? p.LayoutFileName() : QString();
    command.AskLabelCount = p.AskLabelCount && p.AskLabelCount();
    if (p.Options) command.Options = p.Options();
    command.LabelCount = p.LabelCount;
    command.PrintCancelRequested = p.PrintCancelRequested;
    command.LastPrintDate = p.LastPrintDate;
    command.QueryLabelCount = [](int records, int& copies) { return QueryLabelCount(records, copies); };
    command.SetProgressMaximum = [&form](int max) { form.prPrepare->setRange(0, std::max(max, 1)); };
    command.StepProgress = [&form] {
        if (form.prPrepare->value() < form.prPrepare->maximum()) form.prPrepare->setValue(form.prPrepare->value() + 1);
    };
    form.PrintViewCode = 2;
    form.PrintCancelRequested = p.PrintCancelRequested;
    form.PrintSelected = [&command, &p](int viewCode) { command.PrintSelected(viewCode, *p.tbLocal); };
    Prompter::current().runDialog(form);
    form.PrintSelected = nullptr;
}

void tbShowClick(const TPrintPieces& p) {
    TPrintGoods goods;
    try {
        if (!p.tbLocalShow || !p.tbLocalShow->Active() || p.tbLocalShow->IsEmpty()) {
            Prompter::current().error(QStringLiteral("Nie ma wybranego rekordu bazy danych do wydrukowania."));
            return;
        }
        goods = PrintGoodsFromRecord(*p.tbLocalShow);
    } catch (const TEngineError&) {
        Prompter::current().error(QStringLiteral("Nie ma wybranego rekordu bazy danych do wydrukowania."));
        return;
    }
    goods.ID.clear();
    // The preview shows the design on screen, saved or not; printing reads
    // the layout file of the settings.
    if (p.SaveDesign) p.SaveDesign(PreviewLayoutPath());
    ShowLabelPreview(goods, p.Options ? p.Options() : TPrintOptions(), p.Parent);
}
