#include "app/ui/ChartsModule.h"

namespace tz {

MissingGraph::MissingGraph(const QString& error, QWidget* parent)
    : QLabel(QStringLiteral("No chart: %1").arg(error), parent)
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

}  // namespace tz
