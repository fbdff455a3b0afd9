#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <optional>

// A font as the settings file describes it, in Windows terms: the height in
// pixels (negative: character height without internal leading), the size in
// points derived from it through the screen's logical DPI, a Windows colour,
// style bits, pitch and character set.
struct FontSpec
{
    enum Style { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    enum Pitch { DefaultPitch = 0, VariablePitch = 1, FixedPitch = 2 };

    int charset = 1;                    // 1: the default character set
    qint32 color = qint32(0xFF000008u); // system colour: window text
    qint32 height = -11;
    QString name = QStringLiteral("MS Sans Serif");
    int pitch = DefaultPitch;
    int style = 0;

    // Size in points: -MulDiv(height, 72, dpi).
    qint32 size(int dpi) const;
    // Sets the height that the size gives: -MulDiv(size, dpi, 72). False
    // (nothing changed) when that height does not fit in 32 bits.
    bool setSize(qint32 points, int dpi);

    // Keeps only the four style bits; any pitch other than 1 or 2 is the default.
    void setStyle(qint32 value) { style = int(value & 0x0F); }
    void setPitch(qint32 value) { pitch = value == VariablePitch || value == FixedPitch ? int(value) : 0; }

    QFont toQFont(int dpi) const;
    QColor toQColor(const QPalette &palette) const;
    // The font a font dialog returned, with its colour (stored as RGB). The
    // pitch is the resolved font's; the character set stays the default.
    static FontSpec fromQFont(const QFont &font, const QColor &color, int dpi);

    bool operator==(const FontSpec &other) const = default;
};

// The colour a Windows colour value stands for: 0x00BBGGRR, or 0xFF0000nn for
// system colour nn, taken from the matching palette role.
QColor windowsColor(qint32 value, const QPalette &palette);
// The palette colour for system colour index nn; nothing for unknown indexes.
std::optional<QColor> systemColor(int index, const QPalette &palette);
