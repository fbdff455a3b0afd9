#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPalette;

// A font as the settings file describes it (Windows terms).
struct FontSpec
{
    int charset = 1;
    qint32 color = qint32(0xFF000008u); // system colour: window text
    int height = -11;
    QString name = QStringLiteral("MS Sans Serif");
    int pitch = 0;
    int style = 0;

    QFont toQFont(int dpi) const;
    QColor toQColor(const QPalette &palette) const;
    static FontSpec fromQFont(const QFont &font, const QColor &color, int dpi);
};
