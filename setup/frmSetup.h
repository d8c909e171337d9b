#pragma once
// "TZ360 Setup": the sequence editor and the hardware settings on two tabs.
// The main window hides while it is open and shows again on `closed`.
#include <QWidget>

class QTabWidget;
class clsConnection;
class SequenceTab;
class HardwareTab;

namespace tz {
struct Settings;
class Prompt;
}  // namespace tz

class frmSetup : public QWidget {
    Q_OBJECT
public:
    frmSetup(tz::Settings& settings, clsConnection& connection, tz::Prompt& prompt,
             QWidget* parent = nullptr);

signals:
    void closed();  // however the window was closed

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool leaveConfirmed();
    void onReturn();

    tz::Prompt& m_prompt;
    QTabWidget* m_tabs;
    SequenceTab* m_sequenceTab;
    HardwareTab* m_hardwareTab;
    bool m_leaving = false;  // Return has already asked
};
