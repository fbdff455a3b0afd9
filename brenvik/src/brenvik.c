/* Placeholder until the real library lands. */
#include "brenvik.h"

char *tolow(char *text)
{
    for (unsigned char *p = (unsigned char *)text; *p; ++p) {
        if (*p >= 'A' && *p <= 'Z')
            *p = (unsigned char)(*p + 32);
        else if (*p >= 0xC0 && *p <= 0xDF)
            *p = (unsigned char)(*p + 32);
        else if (*p == 0xA8)
            *p = 0xB8;
    }
    return text;
}

int32_t createdicdll(const char *source, const char *target, const char *delimiters,
                     int32_t minimum, brenvik_progress progress1, brenvik_progress progress2)
{
    (void)source; (void)target; (void)delimiters; (void)minimum;
    (void)progress1; (void)progress2;
    return -1;
}
