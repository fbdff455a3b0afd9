#include "controls/fontdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

// The sixteen colours of the classic font dialog's colour box.
struct NamedColor { const char *name; QRgb rgb; };
constexpr NamedColor kColors[] = {
    {"Чёрный", 0x000000}, {"Тёмно-бордовый", 0x800000}, {"Зелёный", 0x008000},
    {"Оливковый", 0x808000}, {"Тёмно-синий", 0x000080}, {"Фиолетовый", 0x800080},
    {"Сине-зелёный", 0x008080}, {"Серый", 0x808080}, {"Серебристый", 0xC0C0C0},
    {"Красный", 0xFF0000}, {"Лайм", 0x00FF00}, {"Жёлтый", 0xFFFF00},
    {"Синий", 0x0000FF}, {"Фуксия", 0xFF00FF}, {"Морская волна", 0x00FFFF},
    {"Белый", 0xFFFFFF},
};

QIcon swatch(const QColor &c)
{
    QPixmap p(16, 12);
    p.fill(c);
    return QIcon(p);
}

} // namespace

FontDialog::FontDialog(QWidget *parent)
    : QDialog(parent), m_fonts(new QFontDialog(this)), m_colors(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Шрифт"));
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setSizeGripEnabled(false);

    for (const auto &c : kColors)
        m_colors->addItem(swatch(QColor(c.rgb)), QString::fromUtf8(c.name), QColor(c.rgb));

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Цвет:"), this));
    colorRow->addWidget(m_colors, 1);
    colorRow->addStretch(2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

void FontDialog::setCurrent(const QFont &font, const QColor &color)
{
    m_fonts->setCurrentFont(font);
    int index = m_colors->findData(color);
    if (index < 0) {
        // A colour outside the sixteen (a system colour, a stored value) stays selectable.
        m_colors->addItem(swatch(color), color.name(), color);
        index = m_colors->count() - 1;
    }
    m_colors->setCurrentIndex(index);
}

QFont FontDialog::font() const
{
    return m_fonts->currentFont();
}

QColor FontDialog::color() const
{
    return m_colors->currentData().value<QColor>();
}

bool FontDialog::choose(QWidget *parent, QFont &font, QColor &color)
{
    FontDialog dialog(parent);
    dialog.setCurrent(font, color);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.font();
    color = dialog.color();
    return true;
}
