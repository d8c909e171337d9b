#pragma once
// "Test Sequence Setup": the saved-sequence list, the steps and ramp grids, the
// ramp timing and shut-down boxes, and the buttons that create, copy, save and
// delete sequences. Temperatures are stored in °F and shown in the unit of the
// current unit system.
#include <QString>
#include <QWidget>
#include <exception>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;
class clsConnection;
class GridCellDelegate;

namespace tz {
struct Settings;
class Prompt;
struct SequenceEntry;
}  // namespace tz

class SequenceTab : public QWidget {
    Q_OBJECT
public:
    SequenceTab(tz::Settings& settings, clsConnection& connection, tz::Prompt& prompt,
                QWidget* parent = nullptr);

    bool changed() const { return m_changed; }

    // Reads the stored names again and loads the first one.
    void refillList();
    // Loads the selected sequence again from the database, dropping edits.
    void reloadSelected();

signals:
    void returnRequested();

private:
    void buildLayout();
    void loadRow(int row);
    void showEntry(const tz::SequenceEntry& entry);
    tz::SequenceEntry entry() const;
    QString selectedName() const;
    void setChanged() { if (!m_loading) m_changed = true; }
    void reportDbError(const std::exception& e);
    bool newNameAcceptable(const QString& name);
    std::optional<QString> askNewName();

    void onNameTyped(const QString& text);
    void onNew();
    void onCopyAs();
    void onSaveChange();
    void onDelete();
    void onInsertStep();
    void onDeleteStep();
    void onAutoStep();
    void onBuilderOk();
    void onRampEnter();

    tz::Settings& m_settings;
    clsConnection& m_connection;
    tz::Prompt& m_prompt;

    double m_key = 0;         // SEQUENCE_ID of the sequence shown
    bool m_changed = false;
    bool m_loading = false;

    QListWidget* m_lstSeqName;
    QLineEdit* m_txtSeqName;
    QTableWidget* m_grid1;
    QTableWidget* m_grid3;
    GridCellDelegate* m_stepsDelegate;
    GridCellDelegate* m_rampDelegate;
    QLineEdit* m_txtTimeBefRead;
    QComboBox* m_cmbSampleRate;
    QLineEdit* m_txtNoSampleAve;
    QLineEdit* m_txtSampleInterval;
    QLineEdit* m_txtShutDownATime;
    QLineEdit* m_txtShutDownVisc;

    QGroupBox* m_builder;
    QLineEdit* m_txtTotalSteps;
    QLineEdit* m_txtStepTime;
    QLineEdit* m_txtBuildTemp;
    QLineEdit* m_txtBuildTempError;
    QLineEdit* m_txtBuildShearRate;
    QLabel* m_lblBuildTemp;
    QLabel* m_lblBuildTempError;
};
