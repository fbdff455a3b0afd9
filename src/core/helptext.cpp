#include "core/helptext.h"

namespace {

struct Piece { int before; const char *text; int after; };

// Line feeds before, text, line feeds after.
constexpr Piece kHelp[] = {
    {1, "Alt+буква - вводит букву из альтернативной раскладки", 2},
    {0, "F7 - поиск", 2},
    {0, "При вводе слова ищется наиболее похожее из словаря", 1},
    {0, "Словарь выбирается в меню \"Словарь->Словарь\"", 1},
    {0, "Создать словарь можно там же - нажмите кнопку \"создать\" и выберите текстовый файл. "
        "Текст в словаре разбивается по указанным в строке ниже символам. "
        "Слова упорядочиваются по их встречаемости в тексте", 2},
    {0, "Вставить самое верхнее из предложенных слов можно нажав клавишу Ctrl", 0},
};

} // namespace

QString withHelpText(const QStringList &lines)
{
    qsizetype count = lines.size();
    if (count > 0 && lines.last().isEmpty())
        --count;
    QString out;
    for (qsizetype i = 0; i < count; ++i) {
        out += lines.at(i);
        out += QLatin1Char('\n');
    }
    for (const Piece &p : kHelp) {
        out += QString(p.before, QLatin1Char('\n'));
        out += QString::fromUtf8(p.text);
        out += QString(p.after, QLatin1Char('\n'));
    }
    // The help text's last line ends with a line break, as every line does.
    out += QLatin1Char('\n');
    return out;
}
