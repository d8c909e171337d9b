#pragma once
#include <QDialog>

namespace tz {

// The About box: a picture of the instrument's cup and bob, the version lines, OK.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    static QPixmap picture(int size);
};

}  // namespace tz
