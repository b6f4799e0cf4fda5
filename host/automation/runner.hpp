#pragma once
// Runs a script against the dialog the plug-in shows: it answers message boxes, popup menus and
// the small dialogs through the platform's seams, and carries out one line per turn of the
// dialog's event loop. Constructing it installs the seams; destroying it restores them.
#include <wx/timer.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/automation/actions.hpp"
#include "host/automation/dump.hpp"
#include "host/automation/script.hpp"
#include "host/automation/small_dialogs.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/seam.hpp"

class wxDialog;

namespace keltrov::automation {

class ScriptRunner {
public:
    explicit ScriptRunner(std::vector<ScriptLine> script);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Once the dialog has closed: "line N: reason" for the line that failed, or nothing when
    // every line ran and every queued answer was used.
    std::optional<std::string> Finish();

private:
    struct Step {
        int delayMs = 0;  // how long the event loop runs before the step
        std::function<void()> run;
    };
    template <class Value>
    struct Queued {
        int line;
        Value value;
    };
    struct Hover {
        int line;
        std::string node;
        int millis;
    };

    void Start(wxDialog& dialog);
    void Advance();
    void Schedule(int delayMs);
    std::deque<Step> StepsOf(const ScriptLine& line);
    std::deque<Step> DragSteps(const ScriptLine& line);
    void Queue(const ScriptLine& line);
    void ExpectMessage(const std::string& text);
    void ExpectNoMessage();
    void CheckQueuesUsed();
    void Fail(int line, const std::string& reason);
    int CurrentLine() const;
    void CloseDialog();

    MessageAnswer OnMessage(const std::string& text, MessageButtons buttons);
    void OnPopupMenu(wxWindow& owner, wxMenu& menu);
    int OnModal(wxDialog& dialog);

    std::vector<ScriptLine> script_;
    size_t nextLine_ = 0;
    int currentLine_ = 0;
    std::deque<Step> steps_;
    wxDialog* dialog_ = nullptr;
    bool closing_ = false;
    std::optional<std::string> failure_;
    std::unique_ptr<wxTimer> timer_;  // made when the dialog shows, the toolkit running by then

    std::deque<Queued<MessageAnswer>> answers_;
    std::deque<Queued<int>> menuChoices_;
    std::map<SmallDialogKind, std::deque<DialogAnswer>> dialogAnswers_;
    std::optional<Hover> hover_;
    std::unique_ptr<TreeDrag> drag_;

    std::vector<ShownMessage> messages_;
    size_t expectedMessages_ = 0;
    std::vector<ShownMenu> menus_;

    static void OnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                         const wxString& message);

    // Last, so that the seams are restored before anything their handlers use goes.
    ScopedHandler<MessageHandler> messageAnswers_;
    ScopedHandler<PopupMenuHandler> menuAnswers_;
    ScopedHandler<ModalHandler> modalAnswers_;
    ScopedHandler<DialogShownHandler> dialogStart_;
    ScopedHandler<wxAssertHandler_t> assertions_;
};

}  // namespace keltrov::automation
