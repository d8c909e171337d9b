#include "app/ui/SaveFileDialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMimeDatabase>

namespace tz {

namespace {

// MatchExtension: the name's glob patterns only; the default mode would read
// the file's content whenever the name alone is not conclusive.
QMimeType typeByName(const QFileInfo& info)
{
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

NameOnlyIconProvider* nameOnlyIcons()
{
    static NameOnlyIconProvider provider;
    return &provider;
}

// Gives the file listings of a dialog being shown the name-only icons.
// Qt lists a folder in a thread and hands the result to the model through
// queued events, so setting the provider when the dialog shows is before
// any icon or type is asked for.
class FileListingGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(watched))
                listByNameOnly(dialog);
        }
        return false;
    }

private:
    static void listByNameOnly(QDialog* dialog)
    {
        if (auto* files = qobject_cast<QFileDialog*>(dialog); files && files->iconProvider() != nameOnlyIcons())
            files->setIconProvider(nameOnlyIcons());
        for (QFileSystemModel* model : dialog->findChildren<QFileSystemModel*>()) {
            if (model->iconProvider() != nameOnlyIcons())
                model->setIconProvider(nameOnlyIcons());
        }
    }
};

void guardFileListings()
{
    // The desktop's file chooser (GTK, portal) sniffs content too and takes
    // no icon provider.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new FileListingGuard(app));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(guardFileListings)

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isDir())
        return icon(Folder);
    const QMimeType type = typeByName(info);
    const QIcon themed = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    return themed.isNull() ? icon(File) : themed;
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QFileIconProvider::type(info);  // "Folder", told by stat alone
    const QMimeType type = typeByName(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
}

QString getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                        const QString& filters, QString* selectedFilter, QFileDialog::Options options)
{
    QFileDialog dialog(parent);
    // The desktop's own dialog (GTK, KDE portal) sniffs content as well and
    // cannot be given our icons: Qt's dialog is always used.
    dialog.setOptions(options | QFileDialog::DontUseNativeDialog | QFileDialog::DontUseCustomDirectoryIcons);
    // Before the event loop runs: the folder's listing reaches the model
    // through queued events, and only then are icons and types asked for.
    dialog.setIconProvider(nameOnlyIcons());
    dialog.setWindowTitle(caption);
    dialog.setNameFilter(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);

    const QFileInfo suggested(suggestedPath.isEmpty() ? QDir::currentPath() : suggestedPath);
    if (suggested.isDir()) {
        dialog.setDirectory(suggested.absoluteFilePath());
    } else {
        const QFileInfo folder(suggested.absolutePath());
        dialog.setDirectory(folder.isDir() ? folder.absoluteFilePath() : QDir::currentPath());
        dialog.selectFile(suggested.fileName());
    }
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);

    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}

}  // namespace tz
