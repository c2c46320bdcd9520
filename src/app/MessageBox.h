#pragma once

#include <string>

enum class MessageIcon { Error, Exclamation, Information, None };

// Messages the user must see. The application shows them in message boxes; tests record them.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Blocks until the user has read it (a modal box on the user-interface thread).
    virtual void Show(const std::string& strText, MessageIcon icon) = 0;
};
