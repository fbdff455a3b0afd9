#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

// Font dialog offering face, style, size, strikeout, underline, script and
// the text colour, as the platform's font dialog of the original offered.
class FontDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr);

    void setCurrent(const QFont &font, const QColor &color);
    QFont font() const;
    QColor color() const;

    // Runs the dialog modally; on OK updates font and color and returns true.
    static bool choose(QWidget *parent, QFont &font, QColor &color);

private:
    QFontDialog *m_fonts;
    QComboBox *m_colors;
};
