#pragma once

#include <QString>

// The program's message boxes. Behind an interface so that logic can report without widgets
// and tests can answer them; DialogMessages shows them on screen.
class UserMessages {
public:
    enum class Icon { None, Exclamation, Critical };

    virtual ~UserMessages() = default;
    // Shows a modal message with an OK button and returns when it is closed.
    virtual void show(const QString &text, const QString &caption, Icon icon) = 0;
};
