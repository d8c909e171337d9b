#include "app/ui/ProgramIcon.h"

#include <QApplication>
#include <QIcon>

// The resource lives in a static library: it must be pulled in by name.
static void initIconResource() { Q_INIT_RESOURCE(icon); }

namespace tz {

void installProgramIcon()
{
    initIconResource();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tz360.png")));
}

}  // namespace tz
