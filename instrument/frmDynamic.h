#pragma once
// The oscillation test of one unit: a single frequency, or a stepped sweep
// held four seconds a point. Sends commands only; the unit's readings and the
// database are not involved. Opened from the frame's "Dynamic Test" menu,
// which also opens the unit's port.
#include "instrument/DynamicTest.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tz {

class Prompt;
class UnitLink;
class UnitPort;

class frmDynamic : public QWidget {
    Q_OBJECT
public:
    explicit frmDynamic(Prompt& prompt, QWidget* parent = nullptr);
    ~frmDynamic() override;

    // "Unit n": the unit label and the caption.
    void setUnitNumber(int unit);
    int unitNumber() const { return m_unit; }

    // Opens Comm k ("19200,n,8,1"); false with the reason in errorText.
    bool openPort(int comm, QString* errorText);
    bool portOpen() const;
    // Drives another line than the unit's own (the simulated unit in tests).
    void usePort(UnitPort& port);

    DynamicSettings settings() const;
    QTimer& timer() { return m_timer; }
    // The two toggles, for tests that press them.
    QPushButton* singleToggle() const { return m_cmdStartStop; }
    QPushButton* sweepToggle() const { return m_cmdStartStop2; }
    // One tick of the sweep timer.
    void onTimer();

signals:
    // The window closed: the frame enables this unit's "Dynamic Test" entry again.
    void unloaded(int unit);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void singleToggled(bool on);
    void sweepToggled(bool on);
    void portError(QPushButton* toggle);
    void setToggle(QPushButton* toggle, bool on);

    Prompt& m_prompt;
    std::unique_ptr<UnitLink> m_link;
    UnitPort* m_port = nullptr;
    std::unique_ptr<DynamicTest> m_test;
    QTimer m_timer;
    int m_unit = 0;
    bool m_unloaded = false;

    QLabel* m_lblUnit = nullptr;
    QLineEdit* m_txtStrain = nullptr;
    QLineEdit* m_txtFreq = nullptr;
    QLineEdit* m_txtFreqStart = nullptr;
    QLineEdit* m_txtFreqEnd = nullptr;
    QLineEdit* m_txtInterval = nullptr;
    QLineEdit* m_txtTempSetPoint = nullptr;
    QPushButton* m_cmdStartStop = nullptr;
    QPushButton* m_cmdStartStop2 = nullptr;
};

}  // namespace tz
