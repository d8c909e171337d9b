#include "app/ui/frmHelp.h"

#include <QShortcut>

// The manual is compiled into the static UI library; it must be registered
// explicitly or the linker drops it.
static void initHelpResource() { Q_INIT_RESOURCE(help); }

namespace tz {

frmHelp::frmHelp(QWidget* parent) : QTextBrowser(parent) {
    initHelpResource();
    setObjectName(QStringLiteral("frmHelp"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("TZ360 Help"));
    setOpenExternalLinks(false);
    setSearchPaths({QStringLiteral(":/help")});
    setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    resize(760, 640);
    // A reader closes the manual as any viewer: with Esc.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

}  // namespace tz
