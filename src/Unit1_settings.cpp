#include "Unit1.h"

void TForm1::readSettings() {}
void TForm1::writeSettings() {}
void TForm1::loadStoredDictionary() {}
