#include "showlabelform.h"

#include "aligner.h"
#include "datafolder.h"
#include "prompter.h"
#include "silentfailure.h"
#include "rollpage.h"
#include "sheetgrid.h"
#include "units.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kPreviewError = QStringLiteral("Wystąpił błąd podczas generowania podglądu etykiety.");

class TPaintBox : public QWidget {
public:
    TPaintBox(const QImage& image, QWidget* parent) : QWidget(parent), Image(image) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(QPoint(8, 8), Image);
    }

private:
    const QImage& Image;
};

}  // namespace

TShowLableForm::TShowLableForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    TAligner::Install(this);
    setObjectName(QStringLiteral("ShowLableForm"));
    setWindowTitle(QStringLiteral("Podgląd wydruku..."));
    PaintBox1 = new TPaintBox(Bitmap, this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    btnClose = new QPushButton(QStringLiteral("&Zamknij"), Panel2);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    auto* row = new QHBoxLayout(Panel2);
    row->addStretch();
    row->addWidget(btnClose);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PaintBox1, 1);
    layout->addWidget(Panel2);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TShowLableForm::Render(TPrintManager& manager, const TPrintGoods& goods) {
    const TResolution resolution = TResolution::Of(*PaintBox1);
    const QSize label = ToDots(manager.LabelSize(), resolution);
    const int w = std::max(0, label.width());
    const int h = std::max(0, label.height());
    const int panel = Panel2->sizeHint().height();
    const int clientW = std::min(w + 16, MaxWidth);
    const int clientH = std::min(panel + h + 16, MaxHeight);
    // Only what the window can show is kept: a huge label costs no memory.
    Bitmap = QImage(std::max(1, std::min(w, clientW - 8)), std::max(1, std::min(h, clientH - panel - 8)),
                    QImage::Format_RGB32);
    if (Bitmap.isNull()) throw std::runtime_error("bitmap");
    Bitmap.fill(Qt::white);
    {
        QPainter painter(&Bitmap);
        painter.setClipRect(manager.Roll ? RollCellGrid(manager.OffsetDistance(), manager.LabelSize(), QSize(w, h), resolution)
                                               .CellRect(0, 0)
                                         : QRect(0, 0, w, h));
        manager.DrawLabel(goods, painter);
    }
    setFixedSize(clientW, clientH);
}

QString PreviewLayoutPath() {
    return DataPath(QStringLiteral("$$$$le.etk"));
}

void ShowLabelPreview(const TPrintGoods& goods, const TPrintOptions& options, QWidget* parent,
                      std::optional<QPoint> rollOffset) {
    const QString path = PreviewLayoutPath();
    try {
        TShowLableForm form(parent);
        TPrintManager manager;
        TPrintOptions o = options;
        o.FrameColor = Qt::black;
        manager.SetOptions(o);
        manager.Roll = rollOffset.has_value();
        manager.Offset = rollOffset.value_or(QPoint());
        manager.LayoutFileName = path;
        try {
            manager.LoadLayout();
        } catch (...) {
            QFile::remove(path);
            throw;
        }
        QFile::remove(path);
        form.Render(manager, goods);
        Prompter::current().runDialog(form);
    } catch (const std::exception& e) {
        SilentFailure(lcPrint, QStringLiteral("the label preview failed: %1").arg(FailureCause(e)));
        Prompter::current().error(kPreviewError);
    } catch (...) {
        SilentFailure(lcPrint, QStringLiteral("the label preview failed for an unknown reason"));
        Prompter::current().error(kPreviewError);
    }
}
