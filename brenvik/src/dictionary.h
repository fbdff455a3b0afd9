#pragma once

// The dictionary's second half of the work: the counted words merged (case
// forms and both readers' counts), ordered and written.
#include "counter.h"
#include "progress.h"

namespace brenvik {

// Writes the dictionary of the words `first` and `second` counted to `fd`,
// reporting on `writing`: merge 0..10, sort 10..40, write 40..100. Either
// counter's tables may be taken apart. Returns a build result.
int32_t writeDictionary(Counter &first, Counter &second, const char *notation, int fd, Reporter &writing);

} // namespace brenvik
