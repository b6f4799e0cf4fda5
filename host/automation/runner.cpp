#include "host/automation/runner.hpp"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/menu.h>

#include "platform/ui/menu_ids.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov::automation {

namespace {

// The runner whose script is running; toolkit assertions are reported to it.
ScriptRunner* g_activeRunner = nullptr;

// Lets the dialog paint what the lines before changed.
constexpr int kScreenshotSettleMs = 200;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string JoinEntries(const ShownMenu& entries) {
    std::string joined;
    for (const std::string& entry : entries) joined += (joined.empty() ? "" : ", ") + entry;
    return joined;
}

}  // namespace

ScriptRunner::ScriptRunner(std::vector<ScriptLine> script)
    : script_(std::move(script)),
      messageAnswers_(SetMessageHandler,
                      [this](const std::string& text, MessageButtons buttons) { return OnMessage(text, buttons); }),
      menuAnswers_(SetPopupMenuHandler,
                   [this](wxWindow& owner, wxMenu& menu, const wxPoint&) { OnPopupMenu(owner, menu); }),
      modalAnswers_(SetModalHandler, [this](wxDialog& dialog) { return OnModal(dialog); }),
      dialogStart_(SetDialogShownHandler, [this](wxDialog& dialog) { Start(dialog); }),
      // An assertion would open a box nobody answers; it stops the script instead.
      assertions_(wxSetAssertHandler, &ScriptRunner::OnAssert) {
    g_activeRunner = this;
}

ScriptRunner::~ScriptRunner() {
    g_activeRunner = nullptr;
}

std::optional<std::string> ScriptRunner::Finish() {
    timer_.reset();
    if (dialog_ == nullptr) Fail(CurrentLine(), "the dialog was not shown");
    if (!closing_ && !steps_.empty()) Fail(currentLine_, "the dialog closed while this line ran");
    if (!closing_ && nextLine_ < script_.size()) Fail(script_[nextLine_].number, "the dialog closed before this line");
    if (!closing_) CheckQueuesUsed();
    return failure_;
}

void ScriptRunner::Start(wxDialog& dialog) {
    if (dialog_ != nullptr) {
        // The script drives one dialog; another would wait for a person who is not there.
        Fail(CurrentLine(), "a second dialog \"" + FromWx(dialog.GetTitle()) + "\" was shown");
        dialog.EndModal(wxID_CANCEL);
        return;
    }
    dialog_ = &dialog;
    timer_ = std::make_unique<wxTimer>();
    timer_->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Advance(); });
    if (failure_) {
        CloseDialog();
        return;
    }
    Schedule(0);
}

void ScriptRunner::Advance() {
    // A line before may have closed the dialog; what is left is reported by Finish.
    if (!dialog_->IsModal()) return;
    if (steps_.empty()) {
        if (nextLine_ == script_.size()) {
            CheckQueuesUsed();
            CloseDialog();
            return;
        }
        const ScriptLine& line = script_[nextLine_++];
        currentLine_ = line.number;
        steps_ = StepsOf(line);
        if (const int delay = std::exchange(steps_.front().delayMs, 0); delay > 0) {
            Schedule(delay);
            return;
        }
    }
    // A person's actions come with idle time between them, in which the toolkit brings its state
    // (the tab order among others) up to date.
    wxTheApp->ProcessIdle();
    Step step = std::move(steps_.front());
    steps_.pop_front();
    try {
        step.run();
    } catch (const std::exception& error) {
        Fail(currentLine_, error.what());
    }
    if (failure_) {
        CloseDialog();
        return;
    }
    Schedule(steps_.empty() ? 0 : steps_.front().delayMs);
}

void ScriptRunner::Schedule(int delayMs) {
    if (delayMs > 0) {
        timer_->StartOnce(delayMs);
    } else {
        dialog_->CallAfter([this] { Advance(); });
    }
}

std::deque<ScriptRunner::Step> ScriptRunner::StepsOf(const ScriptLine& line) {
    wxDialog& dialog = *dialog_;
    const auto& args = line.args;
    const auto step = [](std::function<void()> run) { return std::deque<Step>{{0, std::move(run)}}; };
    switch (line.kind) {
        case LineKind::Select: return step([&dialog, args] { SelectNode(dialog, args[0]); });
        case LineKind::Expand: return step([&dialog, args] { ExpandNode(dialog, args[0], true); });
        case LineKind::Collapse: return step([&dialog, args] { ExpandNode(dialog, args[0], false); });
        case LineKind::Click: return step([&dialog, id = line.Number(0)] { ClickButton(dialog, id); });
        case LineKind::Command: return step([&dialog, id = line.Number(0)] { ChooseCommand(dialog, id); });
        case LineKind::Set: return step([&dialog, id = line.Number(0), args] { TypeText(dialog, id, args[1]); });
        case LineKind::Date: return step([&dialog, args] { SetWageDate(dialog, ParseScriptDate(args[0])); });
        case LineKind::Key: return step([&dialog, id = line.Number(0), args] { PressKey(dialog, id, args[1]); });
        case LineKind::RightClick: return step([&dialog, id = line.Number(0)] { RightClick(dialog, id); });
        case LineKind::DblClick: return step([&dialog, id = line.Number(0)] { DoubleClick(dialog, id); });
        case LineKind::Drag:
        case LineKind::DragOut: return DragSteps(line);
        case LineKind::Hover:
            return step([this, hover = Hover{line.number, args[0], line.Number(1)}] { hover_ = hover; });
        case LineKind::Cell:
            return step([&dialog, row = line.Number(0), column = line.Number(1), args] {
                TypeIntoCell(dialog, row, column, args[2]);
            });
        case LineKind::Current:
            return step(
                [&dialog, row = line.Number(0), column = line.Number(1)] { MakeCellCurrent(dialog, row, column); });
        case LineKind::ExpectMessage: return step([this, args] { ExpectMessage(args[0]); });
        case LineKind::ExpectNoMessage: return step([this] { ExpectNoMessage(); });
        case LineKind::Dump:
            return step([this, &dialog, args] { WriteDump(args[0], DumpDialog(dialog, messages_, menus_)); });
        case LineKind::PrintPdf: return step([&dialog, args] { PrintSheetToPdf(dialog, args[0]); });
        case LineKind::Screenshot:
            return {{kScreenshotSettleMs, [&dialog, args] { WriteScreenshot(dialog, args[0]); }}};
        case LineKind::Export: return step([&dialog, args] { ExportSheet(dialog, args[0]); });
        default: return step([this, line] { Queue(line); });
    }
}

// Press on the source, rest on the hover item when one was asked for, move to the target (or out
// of the tree) and let go, the event loop running in between as under a person's hand.
std::deque<ScriptRunner::Step> ScriptRunner::DragSteps(const ScriptLine& line) {
    const std::optional<Hover> hover = std::exchange(hover_, std::nullopt);
    std::deque<Step> steps;
    steps.push_back({0, [this, source = line.args[0]] { drag_ = std::make_unique<TreeDrag>(*dialog_, source); }});
    if (hover) steps.push_back({0, [this, node = hover->node] { drag_->MoveOver(node); }});
    const int rest = hover ? hover->millis : 0;
    if (line.kind == LineKind::Drag) {
        steps.push_back({rest, [this, target = line.args[1]] { drag_->MoveOver(target); }});
    } else {
        steps.push_back({rest, [this] { drag_->MoveOutside(); }});
    }
    steps.push_back({0, [this] {
                         const std::unique_ptr<TreeDrag> drag = std::move(drag_);
                         drag->Release();
                     }});
    return steps;
}

void ScriptRunner::Queue(const ScriptLine& line) {
    const auto queueDialog = [this, &line](SmallDialogKind kind, bool confirm, std::vector<std::string> values) {
        dialogAnswers_[kind].push_back({line.number, confirm, std::move(values)});
    };
    switch (line.kind) {
        case LineKind::Answer:
            answers_.push_back({line.number, line.args[0] == "ok" ? MessageAnswer::Ok : MessageAnswer::Cancel});
            break;
        case LineKind::Menu: menuChoices_.push_back({line.number, line.Number(0)}); break;
        case LineKind::Input: queueDialog(SmallDialogKind::Name, true, {line.args[0]}); break;
        case LineKind::InputCancel: queueDialog(SmallDialogKind::Name, false, {}); break;
        case LineKind::Fill: queueDialog(SmallDialogKind::Fill, true, SplitFillFields(line.args[0])); break;
        case LineKind::FillCancel: queueDialog(SmallDialogKind::Fill, false, {}); break;
        case LineKind::Calendar: queueDialog(SmallDialogKind::Calendar, true, {line.args[0]}); break;
        case LineKind::CalendarCancel: queueDialog(SmallDialogKind::Calendar, false, {}); break;
        default: throw ActionError(line.keyword + " is no answer to queue");
    }
}

void ScriptRunner::ExpectMessage(const std::string& text) {
    if (expectedMessages_ == messages_.size()) throw ActionError("no message was shown; expected " + Quoted(text));
    const ShownMessage& shown = messages_[expectedMessages_++];
    if (shown.text != text) throw ActionError("the message was " + Quoted(shown.text) + ", not " + Quoted(text));
}

void ScriptRunner::ExpectNoMessage() {
    if (expectedMessages_ < messages_.size())
        throw ActionError("a message was shown: " + Quoted(messages_[expectedMessages_].text));
}

void ScriptRunner::CheckQueuesUsed() {
    if (!answers_.empty()) Fail(answers_.front().line, "no message box came for this answer");
    if (!menuChoices_.empty()) Fail(menuChoices_.front().line, "no popup menu came for this choice");
    for (const auto& [kind, queue] : dialogAnswers_) {
        if (!queue.empty()) Fail(queue.front().line, std::string("no ") + KindName(kind) + " came for this answer");
    }
    if (hover_) Fail(hover_->line, "no drag came after this hover");
}

void ScriptRunner::Fail(int line, const std::string& reason) {
    if (!failure_) failure_ = "line " + std::to_string(line) + ": " + reason;
}

int ScriptRunner::CurrentLine() const {
    if (currentLine_ > 0 || script_.empty()) return currentLine_;
    return script_.front().number;
}

// The standard cancel path, as the Escape key takes it.
void ScriptRunner::CloseDialog() {
    if (closing_ || dialog_ == nullptr) return;
    closing_ = true;
    timer_->Stop();
    if (wxWindow* captured = wxWindow::GetCapture()) captured->ReleaseMouse();
    wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
    cancel.SetEventObject(dialog_);
    dialog_->HandleWindowEvent(cancel);
    if (dialog_->IsModal()) dialog_->EndModal(wxID_CANCEL);
}

void ScriptRunner::OnAssert(const wxString& file, int line, const wxString&, const wxString& condition,
                            const wxString& message) {
    g_activeRunner->Fail(g_activeRunner->CurrentLine(), "toolkit assertion " + FromWx(condition) + " (" +
                                                            FromWx(message) + ") at " + FromWx(file) + ":" +
                                                            std::to_string(line));
}

MessageAnswer ScriptRunner::OnMessage(const std::string& text, MessageButtons buttons) {
    ShownMessage shown{text, buttons, MessageAnswer::Ok};
    if (!answers_.empty()) {
        const Queued<MessageAnswer> queued = answers_.front();
        answers_.pop_front();
        if (buttons == MessageButtons::Ok && queued.value == MessageAnswer::Cancel) {
            Fail(queued.line, "the message " + Quoted(text) + " has only OK; it cannot be cancelled");
        } else {
            shown.answer = queued.value;
        }
    } else if (buttons == MessageButtons::OkCancel) {
        // Nobody decided: the safe answer, and the script stops.
        shown.answer = MessageAnswer::Cancel;
        Fail(CurrentLine(), "the confirmation " + Quoted(text) + " came with no answer queued");
    }
    messages_.push_back(shown);
    return shown.answer;
}

void ScriptRunner::OnPopupMenu(wxWindow& owner, wxMenu& menu) {
    ShownMenu entries;
    for (const wxMenuItem* item : menu.GetMenuItems())
        entries.push_back(item->IsSeparator() ? "-" : FromWx(item->GetItemLabelText()));
    menus_.push_back(entries);
    if (menuChoices_.empty()) return;  // dismissed
    const Queued<int> choice = menuChoices_.front();
    menuChoices_.pop_front();
    const int itemId = MenuItemId(choice.value);
    const wxMenuItem* item = menu.FindItem(itemId);
    if (item == nullptr || item->IsSeparator() || !item->IsEnabled()) {
        Fail(choice.line, "the menu shown has no command " + std::to_string(choice.value) + " to choose (" +
                              JoinEntries(entries) + ")");
        return;
    }
    // As the toolkit delivers a choice: to the menu's own handlers, then to the window it was shown for.
    wxCommandEvent event(wxEVT_MENU, itemId);
    event.SetEventObject(&menu);
    if (!menu.ProcessEvent(event)) owner.HandleWindowEvent(event);
}

int ScriptRunner::OnModal(wxDialog& dialog) {
    const SmallDialogKind kind = ClassifyDialog(dialog);
    std::deque<DialogAnswer>& queue = dialogAnswers_[kind];
    if (kind == SmallDialogKind::Unknown || queue.empty()) {
        Fail(CurrentLine(), "the " + DescribeDialog(dialog) + " came with no answer queued");
        return wxID_CANCEL;
    }
    const DialogAnswer answer = queue.front();
    queue.pop_front();
    dialog.CallAfter([this, &dialog, answer] {
        try {
            ApplyAnswer(dialog, answer);
        } catch (const std::exception& error) {
            Fail(answer.line, error.what());
            if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
        }
    });
    return dialog.ShowModal();
}

}  // namespace keltrov::automation
