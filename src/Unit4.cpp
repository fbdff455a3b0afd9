#include "Unit4.h"

QString SrcFile;
QString DstFile;
QString Delims;
bool anyBuildRunning() { return false; }
