#include "core/fontdescription.h"

#include "core/settingvalues.h"

#include <QFontInfo>
#include <QFontMetricsF>

namespace {

// Screen pixel sizes beyond this are clamped when shown (the stored value is
// kept): a huge font would only exhaust memory in the glyph cache.
constexpr double maxShownPixels = 1000.0;

} // namespace

qint32 FontSpec::size(int dpi) const
{
    const std::optional<qint32> points = settingvalues::mulDiv(height, 72, dpi);
    return points ? -*points : 0;
}

bool FontSpec::setSize(qint32 points, int dpi)
{
    const std::optional<qint32> h = settingvalues::mulDiv(points, dpi, 72);
    if (!h)
        return false;
    height = -*h;
    return true;
}

QFont FontSpec::toQFont(int dpi) const
{
    QFont f(name);
    if (height != 0 && dpi > 0) {
        // A positive height includes the internal leading; Qt sizes by the em,
        // so take the em share of the face's line height.
        double pixels = height < 0 ? -double(height) : double(height);
        if (height > 0) {
            QFont probe(name);
            probe.setPixelSize(100);
            const QFontMetricsF m(probe);
            const double cell = m.ascent() + m.descent();
            if (cell > 0)
                pixels = pixels * 100.0 / cell;
        }
        pixels = qBound(1.0, pixels, maxShownPixels);
        // Points through the same DPI Qt uses, so the em is exactly that many pixels.
        f.setPointSizeF(pixels * 72.0 / dpi);
    }
    f.setBold(style & Bold);
    f.setItalic(style & Italic);
    f.setUnderline(style & Underline);
    f.setStrikeOut(style & StrikeOut);
    if (pitch == FixedPitch) {
        f.setFixedPitch(true);
        f.setStyleHint(QFont::TypeWriter);
    } else if (pitch == VariablePitch) {
        f.setFixedPitch(false);
    }
    return f;
}

std::optional<QColor> systemColor(int index, const QPalette &p)
{
    switch (index) {
    case 0: return p.color(QPalette::Button);          // scroll bar
    case 1: return p.color(QPalette::Dark);            // desktop
    case 2: return p.color(QPalette::Active, QPalette::Highlight);    // active caption
    case 3: return p.color(QPalette::Inactive, QPalette::Highlight);  // inactive caption
    case 4: return p.color(QPalette::Window);          // menu
    case 5: return p.color(QPalette::Base);            // window
    case 6: return p.color(QPalette::Shadow);          // window frame
    case 7: return p.color(QPalette::WindowText);      // menu text
    case 8: return p.color(QPalette::Text);            // window text
    case 9: return p.color(QPalette::Active, QPalette::HighlightedText); // caption text
    case 10:                                           // active border
    case 11: return p.color(QPalette::Window);         // inactive border
    case 12: return p.color(QPalette::Mid);            // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);         // button face
    case 16: return p.color(QPalette::Dark);           // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText); // inactive caption text
    case 20: return p.color(QPalette::Light);          // button highlight
    case 21: return p.color(QPalette::Shadow);         // 3D dark shadow
    case 22: return p.color(QPalette::Midlight);       // 3D light
    case 23: return p.color(QPalette::ToolTipText);    // info text
    case 24: return p.color(QPalette::ToolTipBase);    // info background
    case 26: return p.color(QPalette::Link);           // hot-tracked item
    case 27: return p.color(QPalette::Active, QPalette::Highlight);   // caption gradients
    case 28: return p.color(QPalette::Inactive, QPalette::Highlight);
    case 29: return p.color(QPalette::Highlight);      // menu highlight
    case 30: return p.color(QPalette::Window);         // menu bar
    default: return std::nullopt;
    }
}

QColor windowsColor(qint32 value, const QPalette &palette)
{
    const quint32 v = quint32(value);
    if ((v >> 24) == 0xFF) {
        // An unknown system colour reads as black, as Windows gives it.
        return systemColor(int(v & 0xFF), palette).value_or(QColor(0, 0, 0));
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QColor FontSpec::toQColor(const QPalette &palette) const
{
    return windowsColor(color, palette);
}

FontSpec FontSpec::fromQFont(const QFont &font, const QColor &c, int dpi)
{
    FontSpec s;
    s.name = font.family();
    if (font.pixelSize() > 0) {
        s.height = -font.pixelSize();
    } else {
        const double px = font.pointSizeF() * dpi / 72.0;
        s.height = px > 0 && px < 2e9 ? -qint32(qRound(px)) : s.height;
    }
    s.style = (font.bold() ? Bold : 0) | (font.italic() ? Italic : 0) | (font.underline() ? Underline : 0)
              | (font.strikeOut() ? StrikeOut : 0);
    s.pitch = font.fixedPitch() || QFontInfo(font).fixedPitch() ? FixedPitch : VariablePitch;
    const QColor rgb = c.toRgb();
    s.color = qint32(quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16));
    return s;
}
