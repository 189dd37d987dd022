// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs.h"
#include "form1.h"
#include "plotarea.h"
#include "visiblearea.h"

#include <QDir>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <functional>

// A standard folder (documents, music) present while this lives, as on a desktop that has one,
// so that a first run is seen to start in it rather than in the home folder. Only a folder made
// here is removed again.
class StandardFolder
{
public:
    explicit StandardFolder(QStandardPaths::StandardLocation location)
        : m_path(QStandardPaths::writableLocation(location))
        , m_made(!QDir(m_path).exists() && QDir().mkpath(m_path))
    {}
    ~StandardFolder()
    {
        if (m_made)
            QDir(m_path).removeRecursively();
    }
    StandardFolder(const StandardFolder &) = delete;
    StandardFolder &operator=(const StandardFolder &) = delete;

    QString path() const { return m_path; }

private:
    QString m_path;
    bool m_made;
};

// The window as the tests work it: controls found by their names, messages recorded instead of
// shown, and the file and printer dialogs answered by the test, unless it asks for the
// desktop's own.
class WindowFixture
{
public:
    enum class Answers { ByTheTest, ByTheDesktop };

    explicit WindowFixture(const QLocale &locale = QLocale::c(),
                           Answers answers = Answers::ByTheTest)
        : form(withTestSettings(locale), std::make_unique<Recorded>(*this, answers), nullptr)
    {}

    template <typename W = QWidget> W *control(const char *name) const
    {
        return form.findChild<W *>(QString::fromLatin1(name));
    }
    void click(const char *button) const
    {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    void setText(const char *field, const QString &text) const
    {
        control<QLineEdit>(field)->setText(text);
    }
    QAction *action(const char *name) const
    {
        return form.findChild<QAction *>(QString::fromLatin1(name));
    }
    PlotArea *plotArea() const { return control<PlotArea>("Picture1"); }
    const QImage &image() const { return plotArea()->surface().image(); }

    // Shows the window sized so that the plot area has its designed height, 4335 units, and
    // so the axis at 2167.5; it is 8745 units wide.
    void showAtDesignHeight()
    {
        form.show();
        form.resize(584, 431);
    }
    // Shows the window and plots the three rows and their sum, as a user first does.
    void showWithTheDefaultCurves()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const char *button : {"Command1", "Command3", "Command4", "Command5"})
            click(button);
        QCoreApplication::processEvents();
    }

    // The plot area as the user sees it, in the window: above the bottom strip that lies over
    // its last rows.
    QRect visiblePlotArea() const
    {
        const QRect area = plotArea()->geometry();
        return visiblePartOfPlotArea(area, form.size(), control("StatusBar1")->y())
            .translated(area.topLeft());
    }
    // That part as the plot area's image holds it, at the screen's device resolution.
    QImage visiblePicture() const
    {
        return plotArea()->picture(visiblePlotArea().translated(-plotArea()->pos()));
    }
    // That part as the screen shows it: the window's backing store.
    QImage onScreen() const
    {
        const QImage window = form.screen()->grabWindow(form.winId()).toImage();
        const qreal ratio = window.devicePixelRatio();
        const QRect area = visiblePlotArea();
        QImage shown = window.copy(QRect(area.topLeft() * ratio, area.size() * ratio));
        shown.setDevicePixelRatio(ratio);
        return shown;
    }

    Form1 form;
    QStringList messages;
    std::function<void(const QString &)> whenTold; // Runs while a message is up.
    QStringList suggestions;                       // The names the save dialog suggested.
    QStringList openedIn;                          // The folders the open dialog started in.
    QString answer;    // The name the user gives the save or open dialog; empty: cancelled.
    QString printedTo; // The PDF file a print goes to; empty: cancelled.

    // The window's settings (the folder last used, the pitch) go to a place of the tests' own;
    // a test that reads or writes them before it has a window calls this first.
    static void useTestSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Windows keeps settings in the registry, beyond test mode's reach: a file in test
        // mode's folder there too.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }

private:
    static const QLocale &withTestSettings(const QLocale &locale)
    {
        useTestSettings();
        return locale;
    }

    class Recorded : public Dialogs
    {
    public:
        Recorded(WindowFixture &fixture, Answers answers)
            : m_fixture(fixture)
            , m_answers(answers)
        {}

        void showMessage(const QString &text) override
        {
            m_fixture.messages << text;
            if (m_fixture.whenTold)
                m_fixture.whenTold(text);
            if (m_answers == Answers::ByTheDesktop)
                Dialogs::showMessage(text);
        }
        QString saveFileName(const QString &title, const QString &suggested,
                             const QList<FileKind> &kinds) override
        {
            m_fixture.suggestions << suggested;
            if (m_answers == Answers::ByTheDesktop)
                return Dialogs::saveFileName(title, suggested, kinds);
            return m_fixture.answer;
        }
        QString openFileName(const QString &title, const QString &folder,
                             const QList<FileKind> &kinds) override
        {
            m_fixture.openedIn << folder;
            if (m_answers == Answers::ByTheDesktop)
                return Dialogs::openFileName(title, folder, kinds);
            return m_fixture.answer;
        }
        bool setUpPrinter(QPrinter &printer) override
        {
            if (m_answers == Answers::ByTheDesktop)
                return Dialogs::setUpPrinter(printer);
            if (m_fixture.printedTo.isEmpty())
                return false;
            printer.setOutputFileName(m_fixture.printedTo);
            return true;
        }

    private:
        WindowFixture &m_fixture;
        Answers m_answers;
    };
};
