#include "platform/ui/guarded_dialog.hpp"

#include "platform/db/db_exception.hpp"
#include "platform/sheet/variant.hpp"
#include "platform/ui/db_error_text.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/tab_stops.hpp"

namespace keltrov {

GuardedDialog::GuardedDialog() {
    FollowTabOrderOfControls(*this);
}

bool GuardedDialog::ProcessEvent(wxEvent& event) {
    try {
        return wxDialog::ProcessEvent(event);
    } catch (const db::DbException& error) {
        ShowMessage(DbErrorTextForUser(error));
        return true;
    } catch (const sheet::AutomationError& error) {
        ShowMessage(error.what());
        return true;
    }
}

int GuardedDialog::DoModal() {
    CallAfter([this] { NotifyDialogShown(*this); });
    return ShowModal();
}

}  // namespace keltrov
