#pragma once
// The information of an opened test, to read and correct after the run. The
// name is shown but not stored, so it is not checked against other tests.
#include "testinfo/ui/TestInfoDialog.h"

namespace tz {

class frmViewRelatedInfo : public TestInfoDialog {
    Q_OBJECT
public:
    explicit frmViewRelatedInfo(Prompt& prompt, QWidget* parent = nullptr);

private:
    void onSave();
};

}  // namespace tz
