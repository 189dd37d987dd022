// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStorageInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// The longest name a file may have in a folder: 255 UTF-16 units on Windows, 255 bytes of the
// local encoding on Linux and macOS.
constexpr qsizetype LongestName = 255;

qsizetype lengthOfName(const QString &name)
{
#ifdef Q_OS_WIN
    return name.size();
#else
    return name.toLocal8Bit().size();
#endif
}

// As many links as Linux follows before it takes a chain for a loop.
constexpr int MostLinksFollowed = 40;

QString failedBecause(const QString &systemWords)
{
    return QStringLiteral("zápis se nezdařil (%1)").arg(systemWords);
}

QString failedBecause(const std::error_code &error)
{
    return failedBecause(QString::fromLocal8Bit(error.message()));
}

// A file's name as the system takes it. Windows takes a path longer than MAX_PATH (260 units),
// as a name of the longest length makes in most folders, only after the prefix "\\?\": Qt gives
// every path it, std::filesystem none.
std::filesystem::path systemName(const QString &fileName)
{
#ifdef Q_OS_WIN
    QString path =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()));
    if (path.startsWith(QStringLiteral("\\\\"))) // On a network share: \\server\share\...
        path.replace(0, 2, QStringLiteral("UNC\\"));
    return (QStringLiteral("\\\\?\\") + path).toStdWString();
#else
    return QFile(fileName).filesystemFileName();
#endif
}

// Follows a chain of symbolic links to the file it ends at, which is the one to replace: the
// links stay links.
std::optional<QString> followLinks(QString &fileName)
{
    for (int followed = 0; followed < MostLinksFollowed; ++followed) {
        const QFileInfo file(fileName);
        if (!file.isSymbolicLink())
            return std::nullopt;
        fileName = file.symLinkTarget();
    }
    return failedBecause(std::make_error_code(std::errc::too_many_symbolic_link_levels));
}

// What stands in the way of writing a file of that name, before a byte is written. Only the
// file's status is read: opening a pipe or a device could wait for ever or have effects.
std::optional<QString> obstacleTo(const QString &fileName)
{
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.isDir())
        return QStringLiteral("složka %1 neexistuje").arg(folderName);
    if (target.isDir())
        return QStringLiteral("toto jméno nese složka");
    if (target.exists() && !target.isFile())
        return QStringLiteral("toto jméno nese zvláštní soubor, ne obyčejný");
    if (!folder.isWritable())
        return QStringLiteral("do složky %1 nelze zapisovat").arg(folderName);
    const qsizetype nameLength = lengthOfName(target.fileName());
    if (nameLength == 0 || nameLength > LongestName)
        return QStringLiteral("takový název souboru není dovolen");
    if (target.exists() && !target.isWritable())
        return QStringLiteral("k souboru není přístup");
    return std::nullopt;
}

// Whether the folder's disk has less room than the bytes still to write (at least one). A file
// system of no size (such as /proc) is no disk that filled.
bool lacksRoom(const QString &folder, qint64 bytesLeft)
{
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.bytesTotal() > 0 &&
           disk.bytesAvailable() < std::max<qint64>(bytesLeft, 1);
}

QString reasonOf(const QString &systemWords, bool diskFull)
{
    return diskFull ? QStringLiteral("na disku není dost místa") : failedBecause(systemWords);
}

// A new file beside the target under a short name of its own, which leaves room for a target
// name of the longest length. It has the permissions any new file gets.
bool openTemporary(QFile &file, const QString &folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 number = QRandomGenerator::global()->generate();
        file.setFileName(QDir(folder).filePath(
            QStringLiteral(".vibraton-%1.tmp").arg(number, 8, 16, QLatin1Char('0'))));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!file.exists()) // It failed for another reason than the name being taken.
            return false;
    }
    return false;
}

// The permissions of the file being replaced, set before any data arrives, so that the new
// data is never less protected than the old. A file system without permissions may refuse:
// the data matters more.
void keepPermissions(const QString &target, const QFile &temporary)
{
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(QFile(target).filesystemFileName(), error);
    if (!error && std::filesystem::is_regular_file(status))
        std::filesystem::permissions(temporary.filesystemFileName(), status.permissions(), error);
}

// Writes all the data. An unbuffered write that stops short (the disk filled) is tried again
// for the rest, so that the failing one says why. Returns the bytes written.
qint64 writeAll(QFile &file, const QByteArray &data)
{
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 part = file.write(data.constData() + written, data.size() - written);
        if (part <= 0)
            break;
        written += part;
    }
    return written;
}

// Puts the data on the disk before the name moves to it, so that a crash right after leaves
// the old file or the whole new one. A file system that cannot do that (EINVAL) is let be.
std::optional<QString> syncToDisk(const QFile &file)
{
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0 && errno != EINVAL)
        return QString::fromLocal8Bit(std::generic_category().message(errno));
#else
    Q_UNUSED(file) // Elsewhere the data is handed to the system on closing, not synced.
#endif
    return std::nullopt;
}

// Fills the open temporary file and gives it the target's name.
std::optional<QString> fillAndRename(QFile &temporary, const QByteArray &data,
                                     const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    keepPermissions(target, temporary);
    const qint64 bytesLeft = data.size() - writeAll(temporary, data);
    if (bytesLeft > 0) {
        const bool diskFull = temporary.error() == QFileDevice::ResourceError;
        return reasonOf(temporary.errorString(), diskFull || lacksRoom(folder, bytesLeft));
    }
    if (const std::optional<QString> failure = syncToDisk(temporary))
        return reasonOf(*failure, lacksRoom(folder, 0));
    temporary.close();
    if (temporary.error() != QFileDevice::NoError)
        return reasonOf(temporary.errorString(), lacksRoom(folder, 0));
    // Replaces the target in one step, on Windows too.
    std::error_code error;
    std::filesystem::rename(systemName(temporary.fileName()), systemName(target), error);
#ifdef Q_OS_WIN
    // The target passed the check for access: Windows refuses it because a program holds it
    // open, as a picture viewer does.
    if (error == std::errc::permission_denied)
        return QStringLiteral("soubor je otevřený v jiném programu");
#endif
    if (error)
        return failedBecause(error);
    return std::nullopt;
}

} // namespace

std::optional<QString> SaveFile::write(const QString &fileName, const QByteArray &data)
{
    QString target = fileName;
    if (const std::optional<QString> loop = followLinks(target))
        return loop;
    if (const std::optional<QString> obstacle = obstacleTo(target))
        return obstacle;
    const QString folder = QFileInfo(target).absolutePath();
    QFile temporary;
    if (!openTemporary(temporary, folder))
        return reasonOf(temporary.errorString(), lacksRoom(folder, data.size()));
    const std::optional<QString> failure = fillAndRename(temporary, data, target);
    if (failure)
        temporary.remove();
    return failure;
}
