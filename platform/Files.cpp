#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef QM_PLUGIN_DIR_FROM_BIN
#define QM_PLUGIN_DIR_FROM_BIN "../lib/quillmere"
#endif
#ifndef QM_DATA_DIR_FROM_BIN
#define QM_DATA_DIR_FROM_BIN "../share/quillmere"
#endif

namespace platform::files {

QString PluginPath(const QString& name) {
    const QDir bin(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(bin.filePath(name + QStringLiteral(".so")))) return bin.filePath(name);
    return QDir::cleanPath(bin.filePath(QStringLiteral(QM_PLUGIN_DIR_FROM_BIN "/") + name));
}

QString DataDir() {
    const QDir bin(QCoreApplication::applicationDirPath());
    if (QFileInfo(bin.filePath(QStringLiteral("Sounds"))).isDir()) return bin.path();
    return QDir::cleanPath(bin.filePath(QStringLiteral(QM_DATA_DIR_FROM_BIN)));
}

}  // namespace platform::files
