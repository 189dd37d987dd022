// SPDX-License-Identifier: GPL-3.0-or-later
#include "applicationfont.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The fonts the Windows build ships beside the program, loaded from their folder.
class TestApplicationFont : public QObject
{
    Q_OBJECT

private slots:
    void addsTheFolderFonts_data();
    void addsTheFolderFonts();
    void shippedFontsBesideTheProgram();
};

void TestApplicationFont::addsTheFolderFonts_data()
{
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<QByteArray>("notAFont");
    QTest::addColumn<QStringList>("families");

    const QStringList window{"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf",
                             "LiberationSansNarrow-Regular.ttf"};
    QTest::newRow("the window's fonts, each family once")
        << window << QByteArray() << QStringList{"Liberation Sans", "Liberation Sans Narrow"};
    QTest::newRow("a broken file among them")
        << window << QByteArray("no font")
        << QStringList{"Liberation Sans", "Liberation Sans Narrow"};
    QTest::newRow("an empty folder") << QStringList() << QByteArray() << QStringList();
    QTest::newRow("only a broken file") << QStringList() << QByteArray("") << QStringList();
}

void TestApplicationFont::addsTheFolderFonts()
{
    QFETCH(QStringList, fonts);
    QFETCH(QByteArray, notAFont);
    QFETCH(QStringList, families);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString &font : fonts)
        QVERIFY(QFile::copy(QDir(VIBRATON_LIBERATION_FONTS).filePath(font), folder.filePath(font)));
    if (!notAFont.isNull()) {
        QFile broken(folder.filePath("Broken.ttf"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(notAFont);
    }

    QStringList added = addApplicationFonts(folder.path());
    added.sort();
    QCOMPARE(added, families);
}

void TestApplicationFont::shippedFontsBesideTheProgram()
{
    QVERIFY(addApplicationFonts(QDir(QDir::tempPath()).filePath("no such folder")).isEmpty());
#ifdef Q_OS_WIN
    QCOMPARE(shippedFontsFolder(), QCoreApplication::applicationDirPath() + "/fonts");
#else
    QVERIFY(shippedFontsFolder().isEmpty()); // The system's fonts serve.
#endif
}

QTEST_MAIN(TestApplicationFont)
#include "tst_applicationfont.moc"
