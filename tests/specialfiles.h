// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files that are not regular files, as a user's folder may hold them: what opening or replacing
// one must never wait on or touch.

#include <QFile>
#include <QFileInfo>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

inline bool makeSocket(const QString &fileName)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(fileName);
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    qstrcpy(address.sun_path, path.constData());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(socket); // The socket file stays.
    return bound;
}

// Makes a special file of the given kind: "named pipe", "device node" (the null device's),
// "block device" (the first loop device's), "socket", or "link" (to a named pipe beside it);
// false where the system does not let this process.
inline bool makeSpecial(const QString &kind, const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    if (kind == "named pipe")
        return ::mkfifo(path.constData(), 0666) == 0;
    if (kind == "device node")
        return ::mknod(path.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (kind == "block device")
        return ::mknod(path.constData(), S_IFBLK | 0666, makedev(7, 0)) == 0;
    if (kind == "socket")
        return makeSocket(fileName);
    return makeSpecial("named pipe", fileName + ".fifo") &&
           QFile::link(QFileInfo(fileName).fileName() + ".fifo", fileName);
}
#endif
