// Moving persons by drag and drop: the dragged node's persons get consecutive codes under the node
// it is dropped on. While dragging, the item under the pointer is highlighted as the drop target,
// and resting on one with children expands or collapses it.
#include <wx/treectrl.h>

#include <optional>

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_text.hpp"
#include "tree/node_code.hpp"
#include "tree/person_recode.hpp"

namespace {

constexpr int kHoverDelayMs = 700;
const wxPoint kDragHotSpot(16, 16);
bool IsSelfOrDescendant(const wxTreeCtrl& tree, wxTreeItemId item, const wxTreeItemId& ancestor) {
    for (; item.IsOk(); item = tree.GetItemParent(item)) {
        if (item == ancestor) return true;
    }
    return false;
}

// The code `count` places after `base` at its level; none when the segment does not reach.
std::optional<std::string> CodeAfter(std::string base, long count) {
    for (long i = 0; i < count; ++i) {
        const std::optional<std::string> next = NextChildCode(base);
        if (!next) return std::nullopt;
        base = *next;
    }
    return base;
}

}  // namespace

void CPayrollDlg::OnBeginDrag(wxTreeEvent& event) {
    m_drag.dragItem = event.GetItem();
    m_pDragImage = std::make_unique<wxDragImage>(Tree(), m_drag.dragItem);
    m_pDragImage->BeginDrag(kDragHotSpot, this, true);
    m_pDragImage->Move(Tree().ClientToScreen(event.GetPoint()));
    m_pDragImage->Show();
    m_drag.dragging = true;
    m_drag.dropTarget = wxTreeItemId();
    // The drag image has captured the mouse for the dialog, so every move and the release come here.
}

void CPayrollDlg::OnMouseMove(wxMouseEvent& event) {
    event.Skip();
    if (!m_drag.dragging) return;
    const wxPoint point = ClientToScreen(event.GetPosition());
    m_pDragImage->Move(point);
    m_pDragImage->Show();
    if (!keltrov::InClientArea(Tree(), point)) {
        SetCursor(m_outsideCursor);
        return;
    }
    int flags = 0;
    m_drag.dropTarget = Tree().HitTest(Tree().ScreenToClient(point), flags);
    if (m_drag.dropTarget.IsOk() && Tree().ItemHasChildren(m_drag.dropTarget)) {
        StopHoverTimer();
        m_hoverTimer.StartOnce(kHoverDelayMs);
        m_drag.hoverTimer = m_hoverTimer.GetId();
    }
    if (m_drag.dropTarget.IsOk()) ShowDropHighlight(m_drag.dropTarget);
    SetCursor(m_overTreeCursor);
}

void CPayrollDlg::OnTimer(wxTimerEvent& event) {
    if (m_drag.hoverTimer == 0 || event.GetId() != m_drag.hoverTimer) return;
    if (m_drag.dropTarget.IsOk()) {
        if (Tree().IsExpanded(m_drag.dropTarget))
            Tree().Collapse(m_drag.dropTarget);
        else
            Tree().Expand(m_drag.dropTarget);
    }
    StopHoverTimer();
}

void CPayrollDlg::OnLButtonUp(wxMouseEvent& event) {
    event.Skip();
    const bool dropping = m_drag.dragging;
    if (dropping) {
        m_drag.dragging = false;
        m_pDragImage->Hide();
        // Ending the image drag releases the mouse it captured.
        m_pDragImage->EndDrag();
    }
    // Cleared before the drop, which may rebuild the tree and with it every item.
    SetCursor(m_overTreeCursor);
    StopHoverTimer();
    ShowDropHighlight(wxTreeItemId());
    if (dropping && keltrov::InClientArea(Tree(), ClientToScreen(event.GetPosition()))) Drop();
}

void CPayrollDlg::StopHoverTimer() {
    m_hoverTimer.Stop();
    m_drag.hoverTimer = 0;
}

void CPayrollDlg::ShowDropHighlight(const wxTreeItemId& item) {
    if (m_drag.highlighted.IsOk() && m_drag.highlighted != item) Tree().SetItemDropHighlight(m_drag.highlighted, false);
    if (item.IsOk()) Tree().SetItemDropHighlight(item, true);
    m_drag.highlighted = item;
}

void CPayrollDlg::Drop() {
    const wxTreeItemId source = m_drag.dragItem;
    const wxTreeItemId target = m_drag.dropTarget;
    if (!source.IsOk() || !target.IsOk()) return;
    // Into its own subtree a node's codes would no longer form the tree: nothing moves.
    if (IsSelfOrDescendant(Tree(), target, source)) return;
    const std::string sourceCode = NodeCodeOf(source);
    const std::optional<MovedPersons> moved = MovePersons(sourceCode, NodeCodeOf(target));
    if (!moved) return;
    // One re-coded person keeps its item; persons under a person, or a company or department that
    // keeps its place in the tables, are shown as the tables now stand.
    if (moved->count != 1 || CountOf(g_pDatabase, keltrov::sql::CountOrganisationUnder(sourceCode)) > 0) {
        m_drag = DragState{};
        LoadTree();
        return;
    }
    AppendNode(target, moved->lastCode, keltrov::FromWx(Tree().GetItemText(source)));
    Tree().Delete(source);
    Refresh();
}

std::optional<CPayrollDlg::MovedPersons> CPayrollDlg::MovePersons(const std::string& sourceCode,
                                                                  const std::string& targetCode) {
    MovedPersons moved;
    bool usedUp = false;
    const bool ok = RunWrite(kMovePersonsPolicy, [&] {
        // The codes are taken inside the write: another user may have added under the target meanwhile.
        const std::string base = ChildCodeBase(targetCode);
        const PersonRecoding persons(g_pDatabase->RowLocator(), sourceCode);
        moved.count = persons.Count();
        // Refused before anything is written when the target's segment cannot take every moved person.
        if (!CodeAfter(base, moved.count)) {
            usedUp = true;
            return;
        }
        moved.lastCode = persons.GiveCodesAfter(base);
    });
    if (usedUp) keltrov::ShowMessage(kCodesUsedUp);
    if (!ok || usedUp) return std::nullopt;
    return moved;
}
