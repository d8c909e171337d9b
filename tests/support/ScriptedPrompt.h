#pragma once
// A Prompt that records every message and answers from a queue, for widget tests.
#include "app/ui/Prompt.h"

#include <QStringList>
#include <deque>

namespace tz {

class ScriptedPrompt final : public Prompt {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons = Buttons::Ok;  // of a question
    };

    QList<Shown> shown;                          // every message, question and input, in order
    std::deque<bool> answers;                    // for ask(); empty → true
    std::deque<std::optional<QString>> inputs;   // for input(); empty → nullopt

    void message(QWidget*, const QString& text, const QString& title, Icon icon) override {
        shown.append({text, title, icon});
    }
    bool ask(QWidget*, const QString& text, const QString& title, Buttons buttons, Icon icon) override {
        shown.append({text, title, icon, buttons});
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<QString> input(QWidget*, const QString& prompt, const QString& title,
                                 const QString&) override {
        shown.append({prompt, title, Icon::None});
        if (inputs.empty() || !inputs.front()) {
            if (!inputs.empty()) inputs.pop_front();
            return std::nullopt;
        }
        const QString a = *inputs.front();
        inputs.pop_front();
        return a;
    }

    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    QStringList texts() const {
        QStringList t;
        for (const auto& s : shown) t << s.text;
        return t;
    }
};

}  // namespace tz
