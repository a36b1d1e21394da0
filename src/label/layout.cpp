#include "layout.h"

#include "inifile.h"

#include <QFileInfo>

namespace {

const QString kPanel = QStringLiteral("PANEL");
const QString kLabelPrefix = QStringLiteral("LABEL");
const QString kImagePrefix = QStringLiteral("IMAGE");
const QString kSymbolQR = QStringLiteral("QR");
const QString kSymbolDataMatrix = QStringLiteral("DATAMATRIX");

QString Cut(QString text, int max) {
    if (max > 0 && text.size() > max) text.truncate(max);
    return text;
}

}  // namespace

QString CompoCaption(int type) {
    if (type == ctLowestPrice) return kLowestPriceTemplate.toString();
    if (type == ctMatrixCode) return kDigitalLinkTemplate.toString();
    if (type == ctReduction) return kReductionTemplate.toString();
    if (type < 0 || type >= static_cast<int>(CompoCaptions.size())) return {};
    return CompoCaptions[static_cast<size_t>(type)].toString();
}

QString FillPriceTemplate(const QString& templateText, const QString& price) {
    QString text = templateText.isEmpty() ? kLowestPriceTemplate.toString() : templateText;
    return text.replace(kPricePlaceholder.toString(), price, Qt::CaseInsensitive);
}

QString FillReductionTemplate(const QString& templateText, const QString& percent, const QString& amount,
                              const QString& price) {
    QString text = templateText.isEmpty() ? kReductionTemplate.toString() : templateText;
    text.replace(kPercentPlaceholder.toString(), percent, Qt::CaseInsensitive);
    text.replace(kAmountPlaceholder.toString(), amount, Qt::CaseInsensitive);
    return text.replace(kPricePlaceholder.toString(), price, Qt::CaseInsensitive);
}

qsizetype PriceSeparatorPos(const QString& price) {
    const qsizetype comma = price.indexOf(u',');
    return comma >= 0 ? comma : price.indexOf(u'.');
}

Qt::Alignment AlignmentFlags(quint8 alignment) {
    switch (alignment) {
    case taRightJustify: return Qt::AlignRight | Qt::AlignTop;
    case taCenter: return Qt::AlignHCenter | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignTop;
    }
}

QColor ColorFromValue(int value) {
    const auto v = static_cast<quint32>(value);
    if ((v & 0xFF000000u) != 0) return QColor(Qt::black);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

int ColorToValue(const QColor& color) {
    const QColor c = color.toRgb();
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

bool LayoutSectionKind(const QString& section, LayoutObjectKind& kind) {
    if (section.startsWith(kLabelPrefix, Qt::CaseSensitive)) {
        kind = LayoutObjectKind::Label;
        return true;
    }
    if (section.startsWith(kImagePrefix, Qt::CaseSensitive)) {
        kind = LayoutObjectKind::Image;
        return true;
    }
    return false;
}

TLayoutDefaults DesignerLayoutDefaults() {
    return {.Panel = {TMm(100), TMm(50)},
            .Type = ctUserLabel,
            .Text = QStringLiteral("??????"),
            .FontName = QStringLiteral("Arial"),
            .FontSize = 16,
            .RealSize = true,
            .MaxTextLength = 0};
}

TLayoutDefaults PrintLayoutDefaults() {
    return {.Panel = {},
            .Type = ctPrice,
            .Text = QString(),
            .FontName = QStringLiteral("Arial"),
            .FontSize = 10,
            .RealSize = true,
            .MaxTextLength = 255};
}

namespace {

// "LABEL"n or "IMAGE"n.
QString LayoutSectionName(LayoutObjectKind kind, int number) {
    return (kind == LayoutObjectKind::Label ? kLabelPrefix : kImagePrefix) + QString::number(number);
}

TMm ReadMm(const TIniFile& ini, const QString& section, const QString& key, TMm fallback = TMm()) {
    return TMm(ini.ReadInteger(section, key, fallback.Value()));
}

void ReadGeometry(const TIniFile& ini, const QString& section, TMmRect& box) {
    box.Left = ReadMm(ini, section, QStringLiteral("LEFT"));
    box.Top = ReadMm(ini, section, QStringLiteral("TOP"));
    box.Right = ReadMm(ini, section, QStringLiteral("RIGHT"));
    box.Bottom = ReadMm(ini, section, QStringLiteral("BOTTOM"));
}

TLayoutObject ReadLayoutObject(const TIniFile& ini, const QString& section, LayoutObjectKind kind,
                               const TLayoutDefaults& defaults) {
    TLayoutObject o;
    o.Kind = kind;
    ReadGeometry(ini, section, o);
    if (kind == LayoutObjectKind::Label) {
        o.Type = static_cast<quint8>(ini.ReadInteger(section, QStringLiteral("TYPE"), defaults.Type));
        // A 2D code's template is never cut: a web address cut short leads
        // somewhere else, and the symbol holds far more than 255 characters.
        const QString text = ini.ReadString(section, QStringLiteral("TEXT"), defaults.Text);
        o.Text = o.Type == ctMatrixCode ? text : Cut(text, defaults.MaxTextLength);
        o.FontName = Cut(ini.ReadString(section, QStringLiteral("FONTNAME"), defaults.FontName), defaults.MaxTextLength);
        o.FontSize = ini.ReadInteger(section, QStringLiteral("FONTSIZE"), defaults.FontSize);
        o.FontBold = ini.ReadBool(section, QStringLiteral("FONTBOLD"), false);
        o.FontItalic = ini.ReadBool(section, QStringLiteral("FONTITALIC"), false);
        o.FontUnderline = ini.ReadBool(section, QStringLiteral("FONTUNDERLINE"), false);
        o.FontColor = ini.ReadInteger(section, QStringLiteral("FONTCOLOR"), 0);
        o.Alignment = static_cast<quint8>(ini.ReadInteger(section, QStringLiteral("ALIGNMENT"), taLeftJustify));
        if (o.Type == ctMatrixCode) {
            // Anything but DATAMATRIX (in any case) is the default, QR.
            const QString symbol = ini.ReadString(section, QStringLiteral("SYMBOL"), kSymbolQR);
            o.Symbol = symbol.compare(kSymbolDataMatrix, Qt::CaseInsensitive) == 0 ? msDataMatrix : msQR;
            o.Gs1 = ini.ReadBool(section, QStringLiteral("GS1"), false);
        }
    } else {
        o.Type = ctUserBitmap;
        o.FileName = Cut(ini.ReadString(section, QStringLiteral("FILENAME"), QString()), defaults.MaxTextLength);
        o.RealSize = ini.ReadBool(section, QStringLiteral("REALSIZE"), defaults.RealSize);
    }
    return o;
}

void WriteGeometry(TIniFile& ini, const QString& section, const TMmRect& box) {
    ini.WriteInteger(section, QStringLiteral("LEFT"), box.Left.Value());
    ini.WriteInteger(section, QStringLiteral("TOP"), box.Top.Value());
    ini.WriteInteger(section, QStringLiteral("RIGHT"), box.Right.Value());
    ini.WriteInteger(section, QStringLiteral("BOTTOM"), box.Bottom.Value());
}

void WriteLabelKeys(TIniFile& ini, const QString& section, const TLayoutObject& o) {
    ini.WriteString(section, QStringLiteral("CLASS"), QStringLiteral("LABEL"));
    ini.WriteInteger(section, QStringLiteral("TYPE"), o.Type);
    ini.WriteString(section, QStringLiteral("TEXT"), o.Text);
    ini.WriteString(section, QStringLiteral("FONTNAME"), o.FontName);
    ini.WriteInteger(section, QStringLiteral("FONTSIZE"), o.FontSize);
    ini.WriteBool(section, QStringLiteral("FONTBOLD"), o.FontBold);
    ini.WriteBool(section, QStringLiteral("FONTITALIC"), o.FontItalic);
    ini.WriteBool(section, QStringLiteral("FONTUNDERLINE"), o.FontUnderline);
    ini.WriteInteger(section, QStringLiteral("FONTCOLOR"), o.FontColor);
    ini.WriteInteger(section, QStringLiteral("ALIGNMENT"), o.Alignment);
    if (o.Type == ctMatrixCode) {
        ini.WriteString(section, QStringLiteral("SYMBOL"), o.Symbol == msDataMatrix ? kSymbolDataMatrix : kSymbolQR);
        ini.WriteBool(section, QStringLiteral("GS1"), o.Gs1);
    }
}

void WriteImageKeys(TIniFile& ini, const QString& section, const TLayoutObject& o) {
    ini.WriteString(section, QStringLiteral("FILENAME"), o.FileName);
    ini.WriteBool(section, QStringLiteral("REALSIZE"), o.RealSize);
}

void WriteLayoutObject(TIniFile& ini, const QString& section, const TLayoutObject& o) {
    WriteGeometry(ini, section, o);
    if (o.Kind == LayoutObjectKind::Label)
        WriteLabelKeys(ini, section, o);
    else
        WriteImageKeys(ini, section, o);
}

void EraseLayoutSections(TIniFile& ini) {
    // A hand-edited file may hold a section twice; erase every copy, or the
    // old keys of the second one would mix with the new object's.
    for (int i = 1; i <= 99; ++i) {
        for (const LayoutObjectKind kind : {LayoutObjectKind::Label, LayoutObjectKind::Image}) {
            const QString name = LayoutSectionName(kind, i);
            while (ini.SectionExists(name)) ini.EraseSection(name);
        }
    }
}

// Numbers labels and images separately from 1 in list order.
class TLayoutNumbering {
public:
    QString Next(LayoutObjectKind kind) {
        return LayoutSectionName(kind, kind == LayoutObjectKind::Label ? ++Labels : ++Images);
    }

private:
    int Labels = 0;
    int Images = 0;
};

}  // namespace

TLabelLayout ReadLayout(const TIniFile& ini, const TLayoutDefaults& defaults) {
    TLabelLayout layout;
    layout.Width = ReadMm(ini, kPanel, QStringLiteral("WIDTH"), defaults.Panel.Width);
    layout.Height = ReadMm(ini, kPanel, QStringLiteral("HEIGHT"), defaults.Panel.Height);
    const QStringList sections = ini.ReadSections();
    for (const QString& section : sections) {
        LayoutObjectKind kind;
        if (!LayoutSectionKind(section, kind)) continue;
        layout.Objects.push_back(ReadLayoutObject(ini, section, kind, defaults));
    }
    return layout;
}

bool LoadLayoutFile(const QString& path, const TLayoutDefaults& defaults, TLabelLayout& layout) {
    const TIniFile ini(path);
    if (ini.ReadFailed() || (ini.FileExisted() && QFileInfo(path).isDir())) {
        layout = TLabelLayout{};
        return false;
    }
    layout = ReadLayout(ini, defaults);
    return true;
}

void WriteLayout(TIniFile& ini, const TLabelLayout& layout) {
    EraseLayoutSections(ini);
    ini.WriteInteger(kPanel, QStringLiteral("WIDTH"), layout.Width.Value());
    ini.WriteInteger(kPanel, QStringLiteral("HEIGHT"), layout.Height.Value());
    TLayoutNumbering numbering;
    for (const TLayoutObject& o : layout.Objects) WriteLayoutObject(ini, numbering.Next(o.Kind), o);
}

bool SaveLayoutFile(const QString& path, const TLabelLayout& layout) {
    TIniFile ini(path);
    if (ini.ReadFailed()) return false;
    WriteLayout(ini, layout);
    return ini.UpdateFile();
}
