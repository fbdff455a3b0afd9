// zarvo-dict SOURCE TARGET [--delims DELIMS] [--min N] [--encoding NAME]
// Builds a dictionary file with libbrenvik. The exit status is the library's
// result; 64 for a wrong command line.
#include <brenvik.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

constexpr int kUsage = 64;
// The 22 default delimiter characters, "^p" and "^t" included.
constexpr const char *kDefaultDelimiters = "+-*/;.\" ',!?()[]{}^p^t";
constexpr int kDefaultMinimum = 4;

// Unicode of the Windows-1251 bytes 0x80..0xFF (0x98 has no letter and
// stands for U+0098, so that every byte converts both ways).
constexpr unsigned short kUpper[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// UTF-8 to Windows-1251; false for malformed UTF-8 or a character that
// Windows-1251 cannot hold (never replaced silently).
bool toWindows1251(const char *text, std::string &out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    while (*p) {
        unsigned cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            return false;
        }
        ++p;
        for (int k = 0; k < extra; ++k, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (*p & 0x3F);
        }
        static constexpr unsigned kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra])
            return false; // overlong form
        if (cp < 0x80) {
            out.push_back(char(cp));
            continue;
        }
        int found = -1;
        for (int b = 0; b < 128 && found < 0; ++b)
            if (kUpper[b] == cp)
                found = b;
        if (found < 0)
            return false;
        out.push_back(char(0x80 + found));
    }
    return true;
}

bool g_showProgress = false;
int g_read = 0, g_written = 0;

void show()
{
    std::fprintf(stderr, "\rчтение %3d%%  запись %3d%%", g_read, g_written);
}
void onProgress1(int32_t value)
{
    g_read = value;
    show();
}
void onProgress2(int32_t value)
{
    g_written = value;
    show();
}

constexpr const char *kUsageLine = "usage: zarvo-dict SOURCE TARGET [--delims DELIMS] [--min N] "
                                   "[--encoding auto|utf-8|utf-16le|utf-16be|windows-1251]\n";

int usage(const char *why)
{
    std::fprintf(stderr, "zarvo-dict: %s\n%s", why, kUsageLine);
    return kUsage;
}

int help()
{
    std::fputs(kUsageLine, stdout);
    std::fputs("\nСтроит словарь Zarvo (.slo) из текста SOURCE и пишет его в TARGET.\n\n"
               "  --delims DELIMS   символы-разделители слов; ^p - перевод строки, ^t - табуляция\n"
               "                    (по умолчанию: +-*/;.\" ',!?()[]{}^p^t)\n"
               "  --min N           не включать слова короче N букв, 0..20 (по умолчанию 4)\n"
               "  --encoding NAME   кодировка текста; auto узнаёт UTF-8 и UTF-16 по метке и по байтам,\n"
               "                    иначе Windows-1251 (по умолчанию auto)\n"
               "  --help            эта справка\n"
               "  --version         версия\n"
               "  --                дальше только имена файлов\n\n"
               "Словарь всегда в Windows-1251; слова с символами, которых в ней нет, пропускаются,\n"
               "их число выводится. Код выхода: 0 - словарь записан, 64 - ошибка в командной строке,\n"
               "иное - ошибка библиотеки (сообщение в stderr).\n",
               stdout);
    return 0;
}

// The source encodings by name; -1 for an unknown one.
int encodingByName(std::string name)
{
    for (char &c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (name == "auto")
        return BRENVIK_SOURCE_AUTO;
    if (name == "utf-8" || name == "utf8")
        return BRENVIK_SOURCE_UTF8;
    if (name == "utf-16le" || name == "utf16le")
        return BRENVIK_SOURCE_UTF16LE;
    if (name == "utf-16be" || name == "utf16be")
        return BRENVIK_SOURCE_UTF16BE;
    if (name == "windows-1251" || name == "cp1251")
        return BRENVIK_SOURCE_WINDOWS_1251;
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const char *source = nullptr, *target = nullptr, *delims = kDefaultDelimiters;
    long minimum = kDefaultMinimum;
    int encoding = BRENVIK_SOURCE_AUTO;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--help")
            return help();
        if (options && arg == "--version") {
            std::printf("zarvo-dict %s\n", ZARVO_VERSION);
            return 0;
        }
        if (options && arg == "--") {
            options = false;
        } else if (!options) {
            if (!source)
                source = argv[i];
            else if (!target)
                target = argv[i];
            else
                return usage("too many arguments");
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--delims" && arg != "--min" && arg != "--encoding") {
            return usage(("unknown option " + arg).c_str());
        } else if (arg == "--delims" || arg == "--min" || arg == "--encoding") {
            if (i + 1 >= argc)
                return usage("option needs a value");
            const char *value = argv[++i];
            if (arg == "--delims") {
                delims = value;
            } else if (arg == "--encoding") {
                encoding = encodingByName(value);
                if (encoding < 0)
                    return usage("unknown encoding");
            } else {
                char *end = nullptr;
                errno = 0;
                minimum = std::strtol(value, &end, 10);
                if (errno || end == value || *end || minimum < 0 || minimum > 20)
                    return usage("--min takes a number from 0 to 20");
            }
        } else if (!source) {
            source = argv[i];
        } else if (!target) {
            target = argv[i];
        } else {
            return usage("too many arguments");
        }
    }
    if (!source || !target)
        return usage("SOURCE and TARGET are needed");

    std::string notation;
    if (!toWindows1251(delims, notation))
        return usage("the delimiters hold a character that Windows-1251 cannot hold");

    g_showProgress = isatty(STDERR_FILENO);
    int64_t skipped = 0;
    const int32_t result =
        createdicex(source, target, notation.empty() ? nullptr : notation.c_str(), int32_t(minimum), encoding, &skipped,
                    g_showProgress ? onProgress1 : nullptr, g_showProgress ? onProgress2 : nullptr);
    if (g_showProgress)
        std::fputc('\n', stderr);
    if (skipped > 0)
        std::fprintf(stderr, "Пропущено слов с символами, которых нет в Windows-1251: %lld\n",
                     static_cast<long long>(skipped));
    switch (result) {
    case BRENVIK_OK:
        break;
    case BRENVIK_SOURCE_NOT_FOUND:
        std::fprintf(stderr, "Файл %s не найден\n", source);
        break;
    case BRENVIK_TARGET_NOT_OPENED:
        std::fprintf(stderr, "Файл %s не открыт\n", target);
        break;
    case BRENVIK_SOURCE_EMPTY:
        std::fprintf(stderr, "Размер файла %s равен нулю\n", source);
        break;
    case BRENVIK_DICTIONARY_EMPTY:
        std::fprintf(stderr, "Размер файла %s будет равен нулю\n", target);
        break;
    default:
        std::fprintf(stderr, "Неизвестная ошибка №%d\n", int(result));
        break;
    }
    return result;
}
