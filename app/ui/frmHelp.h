#pragma once
#include <QTextBrowser>

namespace tz {

// The bundled operator's manual, shown from Help > Content.
class frmHelp : public QTextBrowser {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);
};

}  // namespace tz
