// The message boxes of the start-up: shown through an interface so tests can
// answer them instead of a user.
#pragma once

#include <QString>

namespace kestrom::startup {

// The caption of every start-up message that has none of its own.
QString applicationTitle();

enum class MessageIcon { None, Warning, Error };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` with an OK button; returns once the user has closed it.
    virtual void show(MessageIcon icon, const QString &title, const QString &text) = 0;
};

// Real message boxes, without an owner window.
class QtMessageBoxes final : public MessageBoxes {
public:
    void show(MessageIcon icon, const QString &title, const QString &text) override;
};

}  // namespace kestrom::startup
