// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStandardPaths>
#include <QString>

#include <functional>
#include <optional>

class QPrinter;
class QWidget;

// Everything the program tells the user or asks of them in a dialog of its own: messages, file
// names and the printer. These are the desktop's own dialogs; the tests stand in for the user
// by overriding them.
class Dialogs
{
public:
    // A kind of file a file dialog offers: its filter ("Obrázek PNG (*.png)") and suffix.
    struct FileKind
    {
        QString filter;
        QString suffix;
    };

    // A file to be saved through the save dialog.
    struct SaveRequest
    {
        QString title;                                // The dialog's title.
        QStandardPaths::StandardLocation firstFolder; // Where the very first dialog starts.
        QString suggestedName;
        QList<FileKind> kinds;
        QString failure; // The message on failure, with the file's name and the reason.
    };
    // Writes the whole file under the name, or says in Czech why it could not.
    using FileWriter = std::function<std::optional<QString>(const QString &fileName)>;

    virtual ~Dialogs() = default;

    // The window the dialogs are modal to.
    void setWindow(QWidget *window) { m_window = window; }

    // A modal box titled "Vibraton" with one OK button and no icon; returns once it is closed.
    virtual void showMessage(const QString &text);
    // The file to save to, starting from a suggested one; the first kind is the default, and
    // choosing another turns the typed name's suffix with it. Empty when cancelled.
    virtual QString saveFileName(const QString &title, const QString &suggested,
                                 const QList<FileKind> &kinds);
    // An existing file to open, starting in a folder; the first kind is the default. Empty
    // when cancelled.
    virtual QString openFileName(const QString &title, const QString &folder,
                                 const QList<FileKind> &kinds);
    // Lets the user choose and set up a printer; false when cancelled.
    virtual bool setUpPrinter(QPrinter &printer);

    // Saving as every command that saves does it: the save dialog in the folder last used,
    // the file written, a failure told with its reason, and the folder remembered once a file
    // is written there. Nothing happens when the dialog is cancelled.
    void save(const SaveRequest &request, const FileWriter &write);

protected:
    QWidget *window() const { return m_window; }

private:
    QWidget *m_window = nullptr;
};
