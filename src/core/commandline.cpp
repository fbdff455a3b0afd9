#include "core/commandline.h"

namespace commandline {

Parsed parse(const QStringList &arguments)
{
    Parsed p;
    bool options = true;
    for (const QString &arg : arguments) {
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h")))
            return {Action::Help, {}, {}, {}, {}};
        if (options && arg == QLatin1String("--version"))
            return {Action::Version, {}, {}, {}, {}};
        if (options && arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-"))
            return {Action::Usage, {}, QStringLiteral("неизвестный параметр %1").arg(arg), arg, {}};
        // The first document is this window's, as it always has been.
        if (p.document.isEmpty())
            p.document = arg;
        else
            p.others << arg;
    }
    return p;
}

QString usage()
{
    return QStringLiteral("Использование: zarvo [--help] [--version] [--] [ДОКУМЕНТ...]\n"
                          "Текстовый редактор с подсказкой слов из словаря.\n"
                          "Каждый следующий документ открывается в своём окне.\n"
                          "  --help     показать эту справку и выйти\n"
                          "  --version  показать версию и выйти\n"
                          "  --         дальше только имя документа, даже если оно начинается с «-»\n");
}

} // namespace commandline
