#pragma once

#include <QString>

#include <stdexcept>

// Raised by a player component call that cannot be carried out; the caller
// decides what the user sees.
class PlayerError : public std::runtime_error {
public:
    explicit PlayerError(const QString &message)
        : std::runtime_error(message.toStdString()) {}
};
