#include "Unit5.h"

TForm5 *Form5 = nullptr;
