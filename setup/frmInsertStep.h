#pragma once
// "Insert Step": one new step for the sequence editor's steps grid. The editor
// creates one per insertion, shows it modally and reads the results after.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tz {
struct Settings;
class Prompt;
}  // namespace tz

class frmInsertStep : public QDialog {
    Q_OBJECT
public:
    frmInsertStep(tz::Settings& settings, tz::Prompt& prompt, QWidget* parent = nullptr);

    // The step number shown: that of the editor's current row ("1" on the heading).
    void setStepNo(const QString& stepNo);

    bool CancelInp() const { return m_cancelInp; }
    bool Before() const { return m_before; }
    double time() const { return m_time; }
    double Temp() const { return m_temp; }            // in the unit of the label
    double TempError() const { return m_tempError; }  // same unit
    double ShearRate() const { return m_shearRate; }  // 1/s

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onOk();
    void checkShearRateBox();

    tz::Settings& m_settings;
    tz::Prompt& m_prompt;
    QLineEdit* m_txtStepNo;
    QComboBox* m_cmbBeforeAfter;
    QLineEdit* m_txtTime;
    QLineEdit* m_txtTemp;
    QLineEdit* m_txtTempError;
    QLineEdit* m_txtShearrate;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;

    bool m_cancelInp = false;
    bool m_before = true;
    double m_time = 0;
    double m_temp = 0;
    double m_tempError = 0;
    double m_shearRate = 0;
};
