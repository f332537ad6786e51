#pragma once
// Where the program's own files are. In a build tree everything sits beside the program
// (build/bin: the plugins, Sounds/). Installed, the program is in <prefix>/bin, its plugins in
// <prefix>/lib/<multiarch>/quillmere and its run-time files (Sounds/) in <prefix>/share/quillmere;
// the folders are found relative to the program, so any prefix works.

#include <QByteArray>
#include <QString>

class QFile;
#include <optional>

namespace platform::files {

// The plugin `name` ("quillmere-webpane"), as a path without its suffix for QLibrary: beside the
// program when it is there, else in the installed plugin folder.
QString PluginPath(const QString& name);

// The folder that holds Sounds/: the program's own folder when it has one, else the installed
// data folder.
QString DataDir();

// The most a file that enters from outside (a design file, a property bag, a settings file) may
// hold: far above any real one, far below what would exhaust memory.
inline constexpr qint64 kInputFileLimit = 16 * 1024 * 1024;

// Reads the whole of an input file. Only a regular file of at most `limit` bytes is read: a FIFO,
// a device or a folder is refused at once (nothing waits for a writer or reads without end). A
// file built into the program (":/forms/...") is read as it is.
// Returns the bytes, or nothing with `why` set to the reason in plain words ("not found", "not a
// regular file", "larger than 16 MiB", "cannot be read: ...").
std::optional<QByteArray> ReadInputFile(const QString& path, QString* why,
                                        qint64 limit = kInputFileLimit);

// Opens an input file that is read as a stream (a picture) into `file`, with the same refusals
// as ReadInputFile but no size limit. Returns false with `why` set when it is refused.
bool OpenInputFile(const QString& path, QFile* file, QString* why);

}  // namespace platform::files
