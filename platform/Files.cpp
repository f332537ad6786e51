#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

QString MiB(qint64 bytes) {
    return bytes % (1024 * 1024) == 0 ? QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024))
                                      : QStringLiteral("%1 bytes").arg(bytes);
}

}  // namespace

bool OpenInputFile(const QString& path, QFile* file, QString* why) {
    const auto refuse = [why](QString reason) {
        if (why) *why = std::move(reason);
        return false;
    };
    // A file built into the program is what we put there: read as it is.
    if (path.startsWith(QLatin1Char(':'))) {
        file->setFileName(path);
        return file->open(QIODevice::ReadOnly) || refuse(QStringLiteral("not found"));
    }
    // Opened without waiting (a FIFO with no writer would block an ordinary open), then asked
    // what it is through the descriptor, so the answer is about the file that is read.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return refuse(QStringLiteral("not found"));
        return refuse(
            QStringLiteral("cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(QStringLiteral("not a regular file"));
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(QStringLiteral("cannot be read: %1").arg(file->errorString()));
    }
    return true;
}

std::optional<QByteArray> ReadInputFile(const QString& path, QString* why, qint64 limit) {
    const auto refuse = [why](QString reason) -> std::optional<QByteArray> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    QFile file;
    if (!OpenInputFile(path, &file, why)) return std::nullopt;
    if (file.size() > limit) return refuse(QStringLiteral("larger than %1").arg(MiB(limit)));

    QByteArray bytes;
    bytes.reserve(qsizetype(file.size()));
    char chunk[65536];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0) return refuse(QStringLiteral("cannot be read: %1").arg(file.errorString()));
        if (n == 0) break;
        // A file that grows while it is read is held to the limit too.
        if (bytes.size() + n > limit)
            return refuse(QStringLiteral("larger than %1").arg(MiB(limit)));
        bytes.append(chunk, qsizetype(n));
    }
    return bytes;
}

}  // namespace platform::files
