// Feeds arbitrary bytes to the layout reader with both sets of defaults, then
// writes what was read and reads it again: the second reading must give the
// same objects.
#include "inifile.h"
#include "layout.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

bool SameObjects(const TLabelLayout& a, const TLabelLayout& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.Objects.size() != b.Objects.size()) return false;
    for (size_t i = 0; i < a.Objects.size(); ++i) {
        const TLayoutObject& x = a.Objects[i];
        const TLayoutObject& y = b.Objects[i];
        if (x.Kind != y.Kind || x.Left != y.Left || x.Top != y.Top || x.Right != y.Right || x.Bottom != y.Bottom)
            return false;
        if (x.Kind == LayoutObjectKind::Label &&
            (x.Type != y.Type || x.FontSize != y.FontSize || x.FontColor != y.FontColor || x.Alignment != y.Alignment ||
             x.FontBold != y.FontBold || x.FontItalic != y.FontItalic || x.FontUnderline != y.FontUnderline))
            return false;
        if (x.Kind == LayoutObjectKind::Image && x.RealSize != y.RealSize) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.etk"));
    const QString out = dir.filePath(QStringLiteral("out.etk"));
    {
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    TLabelLayout print;
    if (!LoadLayoutFile(in, PrintLayoutDefaults(), print)) std::abort();
    TLabelLayout design;
    if (!LoadLayoutFile(in, DesignerLayoutDefaults(), design)) std::abort();
    if (print.Objects.size() != design.Objects.size()) std::abort();

    QFile::remove(out);
    if (!SaveLayoutFile(out, print)) std::abort();
    TLabelLayout again;
    if (!LoadLayoutFile(out, PrintLayoutDefaults(), again)) std::abort();
    if (!SameObjects(print, again)) std::abort();
    return 0;
}
