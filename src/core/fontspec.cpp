#include "core/fontspec.h"

#include <QPalette>

QFont FontSpec::toQFont(int dpi) const
{
    QFont f(name);
    const int px = height < 0 ? -height : height;
    f.setPointSizeF(qMax(1.0, px * 72.0 / dpi));
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    return f;
}

QColor FontSpec::toQColor(const QPalette &palette) const
{
    if (quint32(color) & 0xFF000000u)
        return palette.color(QPalette::WindowText);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

FontSpec FontSpec::fromQFont(const QFont &font, const QColor &c, int dpi)
{
    FontSpec s;
    s.name = font.family();
    s.height = -qRound(font.pointSizeF() * dpi / 72.0);
    s.style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
              | (font.strikeOut() ? 8 : 0);
    s.color = qint32(c.red() | (c.green() << 8) | (c.blue() << 16));
    return s;
}
