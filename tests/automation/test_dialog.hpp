#pragma once
// A small dialog with the kinds of controls the payroll dialog has, each of whose handlers
// writes what it received into a log, shown modally through the same seams.
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/guarded_dialog.hpp"

namespace keltrov::sheet {
class SheetControl;
}

namespace keltrov::test {

class RunnerTestDialog : public GuardedDialog {
public:
    RunnerTestDialog();

    std::vector<std::string> log;
    // What the save button does; by default it logs "save".
    std::function<void()> onSave;

    wxTreeCtrl* tree = nullptr;
    sheet::SheetControl* sheet = nullptr;

private:
    void BindLogging();

    std::vector<std::string> codes_{"100", "100001", "100001001", "100002"};
};

// The small dialogs of the later screens, known to the runner only by their fields and buttons.
wxDialog* MakeNameDialog();

}  // namespace keltrov::test
