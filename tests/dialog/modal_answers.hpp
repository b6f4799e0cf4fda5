#pragma once
// Answers the small modal dialogs the way a person does: once the dialog runs, the answer's texts
// are typed into their controls (a check box is ticked by "1"), then its button is pressed.
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/interaction.hpp"
#include "platform/ui/seam.hpp"
#include "platform/ui/template_dialog.hpp"

namespace keltrov::test {

struct ModalAnswer {
    std::vector<std::pair<int, std::string>> fields;
    int button = kIdOk;  // "确认", or kIdCancel for "取消"
};

// Runs the dialog modally with the answer given from inside its loop; the id it ended with.
int AnswerModal(wxDialog& dialog, const ModalAnswer& answer);
std::string TitleOf(const wxDialog& dialog);
// Cancels a dialog that came with no answer left, failing the test.
int Unexpected(const wxDialog& dialog);

inline ModalAnswer AnswerFor(const ModalAnswer& answer) {
    return answer;
}
// The name dialog: the name typed into its edit, or none for "取消".
ModalAnswer AnswerFor(const std::optional<std::string>& name);

// Answers each modal dialog with the next entry of the queue, recording its title.
template <class Entry>
class QueuedAnswers {
public:
    QueuedAnswers() : m_answering(SetModalHandler, [this](wxDialog& dialog) { return Answer(dialog); }) {}

    std::deque<Entry> queue;
    std::vector<std::string> titles;

private:
    int Answer(wxDialog& dialog) {
        titles.push_back(TitleOf(dialog));
        if (queue.empty()) return Unexpected(dialog);
        const Entry entry = queue.front();
        queue.pop_front();
        return AnswerModal(dialog, AnswerFor(entry));
    }
    ScopedHandler<ModalHandler> m_answering;
};

using ModalAnswers = QueuedAnswers<ModalAnswer>;
using NameAnswers = QueuedAnswers<std::optional<std::string>>;

}  // namespace keltrov::test
