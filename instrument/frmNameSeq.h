#pragma once
// The list of stored sequences from which a unit window picks the one to run.
// It stays open beside the unit window (not modal) until OK or Cancel.
#include <QDialog>

class QListWidget;
class clsConnection;

namespace tz {

class frmNameSeq : public QDialog {
    Q_OBJECT
public:
    explicit frmNameSeq(QWidget* parent = nullptr);

    // Lists every stored sequence in name order, the first selected.
    // Throws tz::DbError when the names cannot be read.
    void fill(clsConnection& connection);
    QString selectedName() const;

signals:
    // OK: the highlighted name (empty when the list is empty).
    void SelectedTestName(const QString& name);

private:
    void onOk();
    QListWidget* m_list;
};

}  // namespace tz
