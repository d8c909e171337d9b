#pragma once
// Every message box, question and input box of the windows goes through this
// interface, so that a test can answer them and a log can record them.
#include <QString>
#include <optional>

class QWidget;

namespace tz {

class Prompt {
public:
    enum class Icon { None, Information, Warning, Critical, Exclamation, Question };
    // YesNoDefaultNo: Enter answers No, for questions whose Yes loses
    // something (a running test, recorded points).
    enum class Buttons { Ok, OkCancel, YesNo, YesNoDefaultNo };

    virtual ~Prompt() = default;

    // A message with an OK button.
    virtual void message(QWidget* parent, const QString& text, const QString& title = {},
                         Icon icon = Icon::None) = 0;

    // A question; true for Yes or OK.
    virtual bool ask(QWidget* parent, const QString& text, const QString& title,
                     Buttons buttons, Icon icon = Icon::Question) = 0;

    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget* parent, const QString& prompt,
                                         const QString& title, const QString& initial = {}) = 0;
};

// The real dialogs.
class DialogPrompt final : public Prompt {
public:
    void message(QWidget* parent, const QString& text, const QString& title, Icon icon) override;
    bool ask(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
             Icon icon) override;
    std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& initial) override;
};

}  // namespace tz
