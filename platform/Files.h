#pragma once
// Where the program's own files are. In a build tree everything sits beside the program
// (build/bin: the plugins, Sounds/). Installed, the program is in <prefix>/bin, its plugins in
// <prefix>/lib/<multiarch>/quillmere and its run-time files (Sounds/) in <prefix>/share/quillmere;
// the folders are found relative to the program, so any prefix works.

#include <QString>

namespace platform::files {

// The plugin `name` ("quillmere-webpane"), as a path without its suffix for QLibrary: beside the
// program when it is there, else in the installed plugin folder.
QString PluginPath(const QString& name);

// The folder that holds Sounds/: the program's own folder when it has one, else the installed
// data folder.
QString DataDir();

}  // namespace platform::files
