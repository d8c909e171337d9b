#include "app/ui/frmHelp.h"

namespace tz {

frmHelp::frmHelp(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("TZ360 Help"));
    setOpenExternalLinks(false);
    setSearchPaths({QStringLiteral(":/help")});
    setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
    resize(760, 640);
}

}  // namespace tz
