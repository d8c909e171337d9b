#pragma once
// "K' Unit and Shear Rates Selection": the K' display unit and the three shear
// rates at which the results grid calculates viscosities.
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tz {
struct Settings;
class Prompt;
}  // namespace tz

class frmShearRate : public QDialog {
    Q_OBJECT
public:
    frmShearRate(tz::Settings& settings, tz::Prompt& prompt, QWidget* parent = nullptr);

private:
    void onOk();

    tz::Settings& m_settings;
    tz::Prompt& m_prompt;
    QRadioButton* m_option1;
    QRadioButton* m_option2;
    QLineEdit* m_txtRate[3];
};
