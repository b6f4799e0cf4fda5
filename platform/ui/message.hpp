#pragma once
// The one way the system shows a message box. Tests and the automation runner install a handler
// that answers and records instead of a person.
#include <functional>
#include <string>

namespace keltrov {

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

using MessageHandler = std::function<MessageAnswer(const std::string& text, MessageButtons buttons)>;

MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons = MessageButtons::Ok);

// Installs a handler for every later message; an empty handler restores the default box.
// Returns the handler that was installed before.
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace keltrov
