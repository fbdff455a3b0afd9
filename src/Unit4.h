#pragma once

#include <QString>

// The build request, set by the dictionary window's create command.
extern QString SrcFile;
extern QString DstFile;
extern QString Delims;

// True while a build job is still inside the library (running or paused).
bool anyBuildRunning();
