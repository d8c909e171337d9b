#pragma once
// "Hardware && Misc Setup": the serial port of each of the eight units and the
// unit system of all displays. Save writes initial.txt.
#include <QString>
#include <QWidget>
#include <array>

class QComboBox;
class QRadioButton;

namespace tz {
struct Settings;
class Prompt;
}  // namespace tz

class HardwareTab : public QWidget {
    Q_OBJECT
public:
    HardwareTab(tz::Settings& settings, tz::Prompt& prompt, const QString& settingsPath,
                QWidget* parent = nullptr);

    // Selects the ports from the settings file and the unit system held in
    // memory (which the file may not hold yet).
    void load();

signals:
    void returnRequested();

private:
    void chooseUnitSystem(int code);
    void onSave();

    tz::Settings& m_settings;
    tz::Prompt& m_prompt;
    QString m_path;
    std::array<QComboBox*, 8> m_cmbUnit{};
    QRadioButton* m_optCGS;
    QRadioButton* m_optEI;
    QRadioButton* m_optSI;
};
