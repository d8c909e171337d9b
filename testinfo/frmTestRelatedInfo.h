#pragma once
// The test information asked for when a real-time test is about to start: a
// new, unique test name, the fluid and bob, and the additives. It can copy
// everything but the name from an earlier test.
#include "testinfo/ui/TestInfoDialog.h"

#include <QStringList>
#include <memory>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;

namespace tz {

class frmTestRelatedInfo : public TestInfoDialog {
    Q_OBJECT
public:
    // Lists every stored test (newest first) for the duplicate check and the
    // copy. Throws tz::DbError when the list cannot be read.
    frmTestRelatedInfo(clsConnection& connection, Prompt& prompt, QWidget* parent = nullptr);
    ~frmTestRelatedInfo() override;

    // Names of the stored tests, newest first.
    const QStringList& storedNames() const { return m_names; }

    void pickName();  // "Pick Name..."
    void getAndCopy();  // "&Get && Copy"

private:
    void onOk();
    void onPicked(QListWidgetItem* item);
    void copyFrom(const QString& name);

    clsConnection& m_connection;
    std::unique_ptr<clsTEST_INFO> m_testInfo;
    std::unique_ptr<clsTEST_ADDITIVE> m_testAdditive;
    QStringList m_names;

    QLineEdit* m_txtCopyFrom;
    QPushButton* m_cmdPick;
    QPushButton* m_cmdCopy;
    QListWidget* m_gridTestName;
};

inline const QString kDuplicateTestNameMessage =
    QStringLiteral("Duplicate test name. Please input unique test name.");
inline const QString kCopyNameNotFoundMessage =
    QStringLiteral("Your test sequence name is not found.  Please try again.");

}  // namespace tz
