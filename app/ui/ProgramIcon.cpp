#include "app/ui/ProgramIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

// The resource lives in a static library: it must be pulled in by name.
static void initIconResource() { Q_INIT_RESOURCE(icon); }

namespace tz {

QImage programIconImage()
{
    static const bool registered = (initIconResource(), true);
    Q_UNUSED(registered);
    return QImage(QStringLiteral(":/icons/tz360.png"));
}

void installProgramIcon(const QImage& icon)
{
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
}

}  // namespace tz
