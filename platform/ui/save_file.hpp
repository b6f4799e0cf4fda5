#pragma once
// The question for the name of a file to write, through one seam: tests and the automation
// runner install a handler that answers in place of a person.
#include <functional>
#include <optional>
#include <string>

class wxWindow;

namespace keltrov {

struct SaveFileRequest {
    std::string title;
    std::string defaultName;  // the name offered, without a folder
    std::string wildcard;     // the toolkit's "说明|*.ext" filter
};

// The full name chosen, or none when the question was cancelled. The file may already exist:
// the default dialog has asked whether to replace it.
using SaveFileHandler = std::function<std::optional<std::string>(wxWindow& parent, const SaveFileRequest& request)>;
std::optional<std::string> AskSaveFileName(wxWindow& parent, const SaveFileRequest& request);
SaveFileHandler SetSaveFileHandler(SaveFileHandler handler);

}  // namespace keltrov
