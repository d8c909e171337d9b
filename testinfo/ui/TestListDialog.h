#pragma once
// What the open and overlap dialogs share: the list of stored tests (name,
// time, researcher, newest first), the name box that a click on a row fills,
// and OK / Cancel. Double-click and OK report the choice through chosen().
#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;
class QHBoxLayout;
class clsConnection;

namespace tz {

class Prompt;

class TestListDialog : public QDialog {
    Q_OBJECT
public:
    // The name box.
    QString testName() const;
    void setTestName(const QString& name);
    // A name chosen elsewhere (the search): selected in the list, in the
    // name box, and OK takes the focus.
    void takeChosenName(const QString& name);
    // The names in the list, top to bottom.
    QStringList listedNames() const;
    // Reads the stored tests again and refills the list (row 1 selected and
    // its name in the name box; an empty list empties the box).
    // Database errors are shown and leave an empty list.
    void reload();

    QLineEdit* nameBox() const { return m_txtSeqName; }
    QTableWidget* list() const { return m_grid; }

protected:
    TestListDialog(clsConnection& connection, Prompt& prompt, const QString& firstCaption,
                   QWidget* parent);
    // The row of buttons, for a dialog that adds its own.
    QHBoxLayout* buttonRow() const { return m_buttons; }
    // The operator confirmed a test (OK or double-click).
    virtual void choose() = 0;

    clsConnection& m_connection;
    Prompt& m_prompt;

private:
    QLineEdit* m_txtSeqName;
    QTableWidget* m_grid;
    QHBoxLayout* m_buttons;
};

}  // namespace tz
