// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs.h"

#include "lastfolder.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// Names a file's type and icon from its name alone. Qt's own provider reads a file's first
// bytes to guess its type, and a file such as /proc/kmsg never answers: one look into /proc
// would hang the whole program.
class NameOnlyIconProvider : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QMimeType type = mimeTypeOf(info);
        return QIcon::fromTheme(type.iconName(),
                                QIcon::fromTheme(type.genericIconName(), icon(File)));
    }
    using QFileIconProvider::icon;

    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QFileIconProvider::type(info); // Says "Folder"; reads nothing.
        return mimeTypeOf(info).comment();
    }

private:
    static QMimeType mimeTypeOf(const QFileInfo &info)
    {
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    }
};

NameOnlyIconProvider &nameOnlyIconProvider()
{
    static NameOnlyIconProvider provider;
    return provider;
}

QStringList filtersOf(const QList<Dialogs::FileKind> &kinds)
{
    QStringList filters;
    for (const Dialogs::FileKind &kind : kinds)
        filters << kind.filter;
    return filters;
}

// Qt's own file dialog, which reads a typed name in double quotes as a list of names: a name
// with a quote in it would be saved under another name in another folder, and opening it would
// end in Qt's own warning. The save and the open dialog refuse such a name alike, in Czech, and
// stay open.
class FileDialog : public QFileDialog
{
public:
    FileDialog(Dialogs &dialogs, QWidget *parent, const QString &title, const QString &start)
        : QFileDialog(parent, title, start)
        , m_dialogs(dialogs)
    {}

    void accept() override
    {
        const auto *typed = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (typed && typed->text().contains(u'"')) {
            m_dialogs.showMessage(QStringLiteral("Název souboru nesmí obsahovat uvozovky (\")."));
            return;
        }
        QFileDialog::accept();
    }

private:
    Dialogs &m_dialogs;
};

// Choosing a kind in the filter turns the default suffix and the typed name's suffix with it.
// The platform's own dialog (Windows') turns the typed name itself, and takes no path in its
// name box: only Qt's dialog, the one with a name field of its own, gets the name.
void followChosenKind(QFileDialog &dialog, const QList<Dialogs::FileKind> &kinds)
{
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, kinds](const QString &filter) {
                         for (const Dialogs::FileKind &kind : kinds) {
                             if (kind.filter != filter)
                                 continue;
                             dialog.setDefaultSuffix(kind.suffix);
                             if (!dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                                 continue;
                             const QFileInfo typed(dialog.selectedFiles().value(0));
                             if (!typed.completeBaseName().isEmpty())
                                 dialog.selectFile(typed.dir().filePath(typed.completeBaseName() +
                                                                        u'.' + kind.suffix));
                         }
                     });
}

} // namespace

void Dialogs::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vibraton"), text, QMessageBox::Ok,
                    m_window);
    box.exec();
}

QString Dialogs::saveFileName(const QString &title, const QString &suggested,
                              const QList<FileKind> &kinds)
{
    FileDialog dialog(*this, m_window, title, suggested);
    dialog.setIconProvider(&nameOnlyIconProvider());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filtersOf(kinds));
    if (!kinds.isEmpty())
        dialog.setDefaultSuffix(kinds.first().suffix);
    followChosenKind(dialog, kinds);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString Dialogs::openFileName(const QString &title, const QString &folder,
                              const QList<FileKind> &kinds)
{
    FileDialog dialog(*this, m_window, title, folder);
    dialog.setIconProvider(&nameOnlyIconProvider());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filtersOf(kinds));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

bool Dialogs::setUpPrinter(QPrinter &printer)
{
#ifdef Q_OS_WIN
    // Without a printer Qt makes the printer a PDF file, which Windows' print dialog refuses
    // without a word; Qt's own dialog elsewhere offers the file.
    if (printer.outputFormat() != QPrinter::NativeFormat) {
        showMessage(QStringLiteral("Obrázek nelze vytisknout: v počítači není nainstalována "
                                   "žádná tiskárna. Do PDF jej uložíte příkazem „Uložit "
                                   "obrázek…“."));
        return false;
    }
#endif
    return QPrintDialog(&printer, m_window).exec() == QDialog::Accepted;
}

void Dialogs::save(const SaveRequest &request, const FileWriter &write)
{
    const QDir folder = LastFolder::folder(request.firstFolder);
    const QString fileName =
        saveFileName(request.title, folder.filePath(request.suggestedName), request.kinds);
    if (fileName.isEmpty())
        return;
    if (const std::optional<QString> failure = write(fileName))
        showMessage(request.failure.arg(QDir::toNativeSeparators(fileName), *failure));
    else
        LastFolder::remember(fileName);
}
