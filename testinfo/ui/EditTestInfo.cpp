#include "testinfo/ui/EditTestInfo.h"

#include "app/ui/Prompt.h"
#include "db/DbError.h"
#include "testinfo/StoredTestInfo.h"
#include "testinfo/frmViewRelatedInfo.h"

#include <QLocale>

namespace tz {

bool editTestInfo(QWidget* parent, clsConnection& connection, int testId, Prompt& prompt) {
    try {
        std::optional<StoredTestInfo> stored = loadStoredTestInfo(connection, testId);
        if (!stored) return false;
        if (stored->time.isValid())
            stored->fields.testDate = QLocale().toString(stored->time.date(), QLocale::ShortFormat);

        frmViewRelatedInfo dialog(prompt, parent);
        dialog.setWindowTitle(QStringLiteral("Test Related Information"));
        dialog.setFields(stored->fields);
        dialog.setAdditiveRows(stored->additives);
        dialog.exec();
        if (dialog.mlCanceled()) return false;
        return updateStoredTestInfo(connection, testId, dialog.fields(), dialog.additiveRows());
    } catch (const DbError& e) {
        prompt.message(parent, e.text(), QString(), Prompt::Icon::Critical);
        return false;
    }
}

}  // namespace tz
