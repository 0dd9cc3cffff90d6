#pragma once

#include <QString>

class QWidget;

// The program's message boxes. Behind an interface so tests can answer them.
class UserMessages {
public:
    enum class Icon { None, Exclamation, Critical };

    virtual ~UserMessages() = default;
    // Shows a modal message with an OK button and returns when it is closed.
    virtual void show(const QString &text, const QString &caption, Icon icon) = 0;
};

class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget *parent)
        : m_parent(parent) {}
    void show(const QString &text, const QString &caption, Icon icon) override;

private:
    QWidget *m_parent;
};
