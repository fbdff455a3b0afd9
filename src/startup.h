#pragma once

#include <QStringList>

// Creates the program's windows in their start-up order: the main window
// (whose creation reads the settings, creates the dictionary window, loads the
// dictionary and opens the document), then the progress and About windows.
void createForms(const QStringList &arguments);
// Destroys them; the main window's destruction writes the settings file.
void destroyForms();
