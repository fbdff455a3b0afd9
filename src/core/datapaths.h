#pragma once

#include <QString>

// Where the program keeps its dictionaries and its settings file.
//
// A portable copy (the build tree, or a copy unpacked into a folder the
// user may write) keeps everything as it always has: the folder `slo`
// beside the program and `./Zarvo.ini` in the current folder.
//
// An installed copy (the program's folder is a system one or not writable)
// keeps the user's dictionaries in $XDG_DATA_HOME/zarvo/slo and the settings
// in $XDG_CONFIG_HOME/zarvo/Zarvo.ini, unless ./Zarvo.ini exists in the
// current folder, which then wins as before.
//
// Either copy shows the ready dictionaries of <prefix>/share/zarvo (the
// program's folder/../share/zarvo), which nobody may delete.
namespace datapaths {

// What the choice depends on; environment() fills it in for this process.
struct Environment
{
    QString programDir; // absolute folder of the executable
    bool programDirWritable = false;
    bool settingsInCurrentDir = false; // ./Zarvo.ini exists
    QString shippedDir;                // <programDir>/../share/zarvo when it is a folder, else empty
    QString dataHome;                  // $XDG_DATA_HOME
    QString configHome;                // $XDG_CONFIG_HOME
    QString home;                      // $HOME
};

struct Places
{
    bool installed = false;
    QString dictionaries; // the user's dictionary folder
    QString shipped;      // the ready dictionaries' folder; empty when there is none
    QString settings;     // the settings file
    QString learned;      // the counts of finished words, one file per dictionary
};

// The file name of the ready dictionary chosen on a first start.
inline const QString &firstStartDictionary()
{
    static const QString name = QStringLiteral("Русский и English.slo");
    return name;
}

Places resolve(const Environment &env);
Environment environment();
// This process's places, worked out once on first use (the current folder
// of that moment decides which settings file is used).
const Places &current();

} // namespace datapaths
