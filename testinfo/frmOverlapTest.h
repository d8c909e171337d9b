#pragma once
// "Overlap Saved Test": picks a second stored test to overlay on the charts
// of the opened one.
#include "testinfo/ui/TestListDialog.h"

namespace tz {

class frmOverlapTest : public TestListDialog {
    Q_OBJECT
public:
    frmOverlapTest(clsConnection& connection, Prompt& prompt, QWidget* parent = nullptr);

signals:
    // The operator confirmed the name in the name box; the dialog is hidden.
    void OverSelected();

protected:
    void choose() override;
    // Lives as long as the main window: the frame's close button is refused,
    // the buttons hide it.
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace tz
