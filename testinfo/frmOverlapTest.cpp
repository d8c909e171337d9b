#include "testinfo/frmOverlapTest.h"

#include <QCloseEvent>

namespace tz {

frmOverlapTest::frmOverlapTest(clsConnection& connection, Prompt& prompt, QWidget* parent)
    : TestListDialog(connection, prompt, QStringLiteral("Sequence"), parent) {
    setObjectName(QStringLiteral("frmOverlapTest"));
    setWindowTitle(QStringLiteral("Overlap Saved Test"));
    reload();
}

void frmOverlapTest::choose() {
    done(QDialog::Accepted);  // hides it
    emit OverSelected();
}

void frmOverlapTest::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace tz
