// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefile.h"
#include "specialfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#endif

// A failure's reason, or that the file was written.
template <> char *QTest::toString(const std::optional<QString> &failure)
{
    return failure ? QTest::toString(*failure) : qstrdup("written");
}

// Writing a file in one step: what it replaces and how, what it refuses, and what a failure
// leaves behind.
class TestSaveFile : public QObject
{
    Q_OBJECT

private slots:
    void fileIsReplacedWhole_data();
    void fileIsReplacedWhole();
    void specialFileIsLeftAlone_data();
    void specialFileIsLeftAlone();
    void systemNullDeviceIsLeftAlone();
    void fullDiskKeepsWhatWasThere_data();
    void fullDiskKeepsWhatWasThere();
    void permissionsAreKeptOrTheDefault_data();
    void permissionsAreKeptOrTheDefault();
    void longestNameIsAllowed_data();
    void longestNameIsAllowed();
    void linkStaysALink_data();
    void linkStaysALink();
    void loopOfLinksIsRefused();
    void fileThatCantBeReplacedIsKept_data();
    void fileThatCantBeReplacedIsKept();
};

namespace {

const QString SpecialFile = QStringLiteral("toto jméno nese zvláštní soubor, ne obyčejný");
const QString DiskFull = QStringLiteral("na disku není dost místa");

// Bytes that differ from their neighbours, so that a shifted or cut copy is told apart.
QByteArray dataOf(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(i * 7 % 251);
    return data;
}

QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString &fileName, const QByteArray &data)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Everything in a folder, hidden and special files too: a temporary file left behind shows.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

#ifdef Q_OS_UNIX
struct stat statusOf(const QString &fileName)
{
    struct stat status = {};
    ::stat(QFile::encodeName(fileName).constData(), &status);
    return status;
}

// In octal, as chmod takes them.
QString permissionsOf(const QString &fileName)
{
    return QString::number(statusOf(fileName).st_mode & 07777, 8);
}

// Runs a command quietly; whether it succeeded.
bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Whether writing to a named pipe is refused; the system's null device is not tried otherwise,
// as a fault that replaced it would break the machine.
bool refusesANamedPipe()
{
    QTemporaryDir folder;
    const QString pipe = folder.filePath("roura");
    return makeSpecial("named pipe", pipe) && SaveFile::write(pipe, "x") == SpecialFile &&
           S_ISFIFO(statusOf(pipe).st_mode);
}

// A disk of a few kibibytes of its own, mounted on a scratch folder while it lives.
class SmallDisk
{
public:
    explicit SmallDisk(int kibibytes)
    {
        if (::geteuid() != 0)
            return;
        const QStringList options = {
            "-t", "tmpfs", "-o", QString("size=%1k").arg(kibibytes), "tmpfs", m_folder.path()};
        m_mounted = run("mount", options);
    }
    ~SmallDisk()
    {
        if (m_mounted)
            run("umount", {m_folder.path()});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
};

// Fills what is left of a disk with one file.
void fill(const QString &fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        while (file.write(QByteArray(4096, 'f')) > 0) {
        }
}
#endif

#ifdef Q_OS_UNIX
// While set, the disk fails to take the data, as a dying one does: fsync() fails. Defined in
// the test, this fsync() is the one the writer calls.
bool diskFails = false;
#endif

// Sets an obstacle of the given kind to replacing a file: "immutable" (Linux's flag holds even
// for root; on Windows the read-only attribute), "append only" (Linux's flag, which lets the
// file grow but neither go nor be replaced) or "failing disk". False where this process can't.
bool setObstacle(const QString &kind, const QString &fileName)
{
#ifdef Q_OS_UNIX
    if (kind == "failing disk")
        return diskFails = true;
    return run("chattr", {kind == "immutable" ? "+i" : "+a", fileName});
#else
    return kind == "immutable" && QFile::setPermissions(fileName, QFile::ReadOwner);
#endif
}

void removeObstacle(const QString &fileName)
{
#ifdef Q_OS_UNIX
    diskFails = false;
    run("chattr", {"-ia", fileName});
#else
    QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner);
#endif
}

#ifdef Q_OS_WIN
// Whether the folder's disk itself takes a file of that name, made as Qt makes files.
bool diskTakesName(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.remove();
}
#endif

} // namespace

#ifdef Q_OS_UNIX
extern "C" int fsync(int descriptor)
{
    if (diskFails) {
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_fsync, descriptor));
}
#endif

void TestSaveFile::fileIsReplacedWhole_data()
{
    QTest::addColumn<int>("olderBytes"); // -1: no file there yet.
    QTest::addColumn<int>("newerBytes");
    QTest::addColumn<bool>("heldOpen"); // By a reader, opened before the write.
    QTest::newRow("a new file") << -1 << 3000 << false;
    QTest::newRow("replacing a longer file") << 5000 << 100 << false;
    QTest::newRow("replacing a shorter file") << 100 << 5000 << false;
    QTest::newRow("replacing with nothing") << 100 << 0 << false;
    QTest::newRow("replacing a file being read") << 3000 << 2000 << true;
}

void TestSaveFile::fileIsReplacedWhole()
{
    // The new data comes under the name whole, never written into the old file.
    QFETCH(int, olderBytes);
    QFETCH(int, newerBytes);
    QFETCH(bool, heldOpen);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("soubor");
    const QByteArray older(std::max(olderBytes, 0), 's');
    if (olderBytes >= 0)
        QVERIFY(put(fileName, older));
    QFile reader(fileName);
    if (heldOpen)
        QVERIFY(reader.open(QIODevice::ReadOnly));
    const QByteArray newer = dataOf(newerBytes);

    const std::optional<QString> failure = SaveFile::write(fileName, newer);
    QCOMPARE(entriesOf(folder.path()), QStringList{"soubor"});
#ifdef Q_OS_WIN
    if (heldOpen) {
        // Windows moves no name onto a file held open; it stays as it was.
        QCOMPARE(failure, "soubor je otevřený v jiném programu");
        QCOMPARE(contentsOf(fileName), older);
        return;
    }
#endif
    QCOMPARE(failure, std::nullopt);
    QCOMPARE(contentsOf(fileName), newer);
    if (heldOpen) // The new file took the old one's name, and the reader still has it whole.
        QCOMPARE(reader.readAll(), older);
}

void TestSaveFile::specialFileIsLeftAlone_data()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows has no named pipes, device nodes or sockets among files");
#endif
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << "named pipe";
    QTest::newRow("device node") << "device node";
    QTest::newRow("socket") << "socket";
    QTest::newRow("link to a named pipe") << "link";
}

void TestSaveFile::specialFileIsLeftAlone()
{
#ifdef Q_OS_UNIX // Skipped by its _data elsewhere.
    // Replacing one with a regular file would break what uses it; opening a pipe with nobody
    // reading it would wait for ever.
    QFETCH(QString, kind);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("zvlastni");
    if (!makeSpecial(kind, fileName))
        QSKIP("this process may not make such a file here");
    const struct stat before = statusOf(fileName);
    const QStringList entries = entriesOf(folder.path());
    // A reader, so that a wrong opening of the pipe would not wait but pass the data on.
    const int reader =
        S_ISFIFO(before.st_mode) ? ::open(QFile::encodeName(fileName), O_RDONLY | O_NONBLOCK) : -1;

    QCOMPARE(SaveFile::write(fileName, dataOf(100)), SpecialFile);
    const struct stat after = statusOf(fileName);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_rdev, before.st_rdev);
    QCOMPARE(entriesOf(folder.path()), entries);
    if (reader >= 0) {
        char byte = 0;
        QVERIFY2(::read(reader, &byte, 1) <= 0, "data went into the pipe");
        ::close(reader);
    }
#endif
}

void TestSaveFile::systemNullDeviceIsLeftAlone()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows has no /dev/null among files");
#else
    QVERIFY2(refusesANamedPipe(), "a named pipe is not refused, so /dev/null is not tried");
    const struct stat before = statusOf("/dev/null");
    QVERIFY(S_ISCHR(before.st_mode));
    QCOMPARE(SaveFile::write("/dev/null", dataOf(100)), SpecialFile);
    const struct stat after = statusOf("/dev/null");
    QVERIFY(S_ISCHR(after.st_mode));
    QCOMPARE(after.st_rdev, before.st_rdev);
    QCOMPARE(after.st_ino, before.st_ino);
#endif
}

void TestSaveFile::fullDiskKeepsWhatWasThere_data()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows has no tmpfs to mount a small disk on, to fill");
#endif
    // On a disk of 64 KiB.
    QTest::addColumn<int>("olderBytes"); // 0: no file there yet.
    QTest::addColumn<bool>("filledFirst");
    QTest::addColumn<int>("newerBytes");
    QTest::newRow("replacing, more than the free space") << 16384 << false << 65536;
    QTest::newRow("replacing, room only once the old file is gone") << 40960 << false << 40960;
    QTest::newRow("a new file, more than the free space") << 0 << false << 100000;
    QTest::newRow("replacing, the disk already full") << 16384 << true << 1000;
    QTest::newRow("a new file, the disk already full") << 0 << true << 1000;
}

void TestSaveFile::fullDiskKeepsWhatWasThere()
{
#ifdef Q_OS_UNIX // Skipped by its _data elsewhere.
    QFETCH(int, olderBytes);
    QFETCH(bool, filledFirst);
    QFETCH(int, newerBytes);
    const SmallDisk disk(64);
    if (!disk.mounted())
        QSKIP("a small disk can't be mounted here: that needs root and tmpfs");
    const QString fileName = disk.filePath("soubor");
    const QByteArray older = dataOf(olderBytes);
    if (olderBytes > 0)
        QVERIFY(put(fileName, older));
    if (filledFirst) {
        fill(disk.filePath("vypln"));
        QCOMPARE(QStorageInfo(disk.path()).bytesAvailable(), 0);
    }
    const QStringList entries = entriesOf(disk.path());

    QCOMPARE(SaveFile::write(fileName, dataOf(newerBytes)), DiskFull);
    QCOMPARE(contentsOf(fileName), older);
    QCOMPARE(entriesOf(disk.path()), entries);
#endif
}

void TestSaveFile::permissionsAreKeptOrTheDefault_data()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows has no POSIX modes or umask; its read-only flag is tested apart");
#endif
    QTest::addColumn<int>("older"); // -1: no file there yet.
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("newer");
    QTest::newRow("0444 read-only for all") << 0444 << 022 << 0444;
    QTest::newRow("0400 read-only for its owner") << 0400 << 022 << 0400;
    QTest::newRow("0640") << 0640 << 022 << 0640;
    QTest::newRow("0600") << 0600 << 022 << 0600;
    QTest::newRow("0755 executable") << 0755 << 022 << 0755;
    QTest::newRow("0666, more than the umask gives") << 0666 << 022 << 0666;
    QTest::newRow("a new file, umask 022") << -1 << 022 << 0644;
    QTest::newRow("a new file, umask 002") << -1 << 002 << 0664;
    QTest::newRow("a new file, umask 027") << -1 << 027 << 0640;
}

void TestSaveFile::permissionsAreKeptOrTheDefault()
{
#ifdef Q_OS_UNIX // Skipped by its _data elsewhere.
    QFETCH(int, older);
    QFETCH(int, mask);
    QFETCH(int, newer);
    if (older >= 0 && !(older & S_IWUSR) && ::geteuid() != 0)
        QSKIP("only root may replace a file its owner may not write");
    QTemporaryDir folder;
    const QString fileName = folder.filePath("soubor");
    if (older >= 0) {
        QVERIFY(put(fileName, dataOf(10)));
        QVERIFY(::chmod(QFile::encodeName(fileName), mode_t(older)) == 0);
    }
    const QByteArray data = dataOf(2000);
    const mode_t usualMask = ::umask(mode_t(mask));
    const std::optional<QString> failure = SaveFile::write(fileName, data);
    ::umask(usualMask);
    QCOMPARE(failure, std::nullopt);
    QCOMPARE(contentsOf(fileName), data);
    QCOMPARE(permissionsOf(fileName), QString::number(newer, 8));
#endif
}

void TestSaveFile::longestNameIsAllowed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("allowed");
#ifdef Q_OS_WIN
    // Windows allows names of 255 UTF-16 units: "ř" takes one, "𝄞" two.
    QTest::newRow("255 units") << QString(251, 'g') + ".png" << true;
    QTest::newRow("256 units") << QString(252, 'g') + ".png" << false;
    QTest::newRow("255 units in Czech letters") << QString(251, u'ř') + ".png" << true;
    QTest::newRow("256 units in Czech letters") << QString(252, u'ř') + ".png" << false;
    QTest::newRow("256 units in 255 letters") << QString(250, 'g') + "𝄞.png" << false;
#else
    // Linux allows names of 255 bytes; in UTF-8 "ř" takes two.
    QTest::newRow("255 bytes") << QString(251, 'g') + ".png" << true;
    QTest::newRow("256 bytes") << QString(252, 'g') + ".png" << false;
    QTest::newRow("255 bytes in 128 letters") << QString(127, u'ř') + "g" << true;
    QTest::newRow("256 bytes in 128 letters") << QString(128, u'ř') << false;
#endif
}

void TestSaveFile::longestNameIsAllowed()
{
    QFETCH(QString, name);
    QFETCH(bool, allowed);
    QTemporaryDir folder;
    const QString fileName = folder.filePath(name);
    if (!allowed) {
        QCOMPARE(SaveFile::write(fileName, dataOf(10)), "takový název souboru není dovolen");
        QCOMPARE(entriesOf(folder.path()), QStringList());
        return;
    }
#ifdef Q_OS_WIN
    if (!diskTakesName(fileName))
        QSKIP("this disk takes no such name: under Wine, a Linux one of 255 bytes at most");
#endif
    QCOMPARE(SaveFile::write(fileName, dataOf(10)), std::nullopt);
    const QByteArray newer = dataOf(20);
    QCOMPARE(SaveFile::write(fileName, newer), std::nullopt); // Replacing it too.
    QCOMPARE(contentsOf(fileName), newer);
    QCOMPARE(entriesOf(folder.path()), QStringList{name});
}

void TestSaveFile::linkStaysALink_data()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows makes shortcuts, not symbolic links, without an administrator");
#endif
    // Links made in a scratch folder, "odkaz" the one written to; the data ends in "cil".
    QTest::addColumn<QStringList>("links"); // Pairs of a link and where it points.
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("to a file") << QStringList{"odkaz", "cil"} << true;
    QTest::newRow("to a link to a file") << QStringList{"odkaz", "mezi", "mezi", "cil"} << true;
    QTest::newRow("to a missing file") << QStringList{"odkaz", "cil"} << false;
    QTest::newRow("to a file in a subfolder")
        << QStringList{"odkaz", "slozka/dalsi", "slozka/dalsi", "../cil"} << true;
}

void TestSaveFile::linkStaysALink()
{
    QFETCH(QStringList, links);
    QFETCH(bool, targetExists);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("slozka"));
    if (targetExists)
        QVERIFY(put(folder.filePath("cil"), dataOf(10)));
    for (qsizetype i = 0; i < links.size(); i += 2)
        QVERIFY(QFile::link(links[i + 1], folder.filePath(links[i])));
    QStringList entries = entriesOf(folder.path());
    const QStringList subfolderEntries = entriesOf(folder.filePath("slozka"));
    const QByteArray newer = dataOf(30);

    QCOMPARE(SaveFile::write(folder.filePath("odkaz"), newer), std::nullopt);
    QCOMPARE(contentsOf(folder.filePath("cil")), newer);
    for (qsizetype i = 0; i < links.size(); i += 2)
        QVERIFY2(QFileInfo(folder.filePath(links[i])).isSymLink(), qPrintable(links[i]));
    if (!targetExists) {
        entries.append("cil");
        entries.sort();
    }
    QCOMPARE(entriesOf(folder.path()), entries);
    QCOMPARE(entriesOf(folder.filePath("slozka")), subfolderEntries);
}

void TestSaveFile::loopOfLinksIsRefused()
{
#ifndef Q_OS_UNIX
    QSKIP("Windows makes shortcuts, not symbolic links, without an administrator");
#endif
    QTemporaryDir folder;
    QVERIFY(QFile::link("b", folder.filePath("a")));
    QVERIFY(QFile::link("a", folder.filePath("b")));
    QCOMPARE(SaveFile::write(folder.filePath("a"), dataOf(10)),
             "zápis se nezdařil (Too many levels of symbolic links)");
    QVERIFY(QFileInfo(folder.filePath("a")).isSymbolicLink());
    QCOMPARE(entriesOf(folder.path()), QStringList({"a", "b"}));
}

void TestSaveFile::fileThatCantBeReplacedIsKept_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("may not be written") << "immutable"
                                        << "k souboru není přístup";
    QTest::newRow("may not be replaced") << "append only"
                                         << "zápis se nezdařil (Operation not permitted)";
    QTest::newRow("the disk fails") << "failing disk"
                                    << "zápis se nezdařil (Input/output error)";
}

void TestSaveFile::fileThatCantBeReplacedIsKept()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("soubor");
    const QByteArray older = dataOf(10);
    QVERIFY(put(fileName, older));
    if (!setObstacle(obstacle, fileName))
        QSKIP("this file system, system or process can't set such an obstacle");
    const std::optional<QString> failure = SaveFile::write(fileName, dataOf(20));
    removeObstacle(fileName);
    QCOMPARE(failure, reason);
    QCOMPARE(contentsOf(fileName), older);
    QCOMPARE(entriesOf(folder.path()), QStringList{"soubor"});
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
