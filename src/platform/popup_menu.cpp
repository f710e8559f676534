#include "popup_menu.h"

#include <algorithm>

#include <QMenu>

int QtPopupMenuPresenter::track(const std::vector<MenuEntry>& entries, QPoint at, QWidget* owner) {
    if (entries.empty())
        return -1;
    QMenu popup(owner);
    std::vector<QAction*> actions;
    for (const MenuEntry& entry : entries) {
        QAction* action = popup.addAction(entry.text);
        action->setEnabled(!entry.disabled);
        action->setCheckable(entry.checked);
        action->setChecked(entry.checked);
        actions.push_back(action);
    }
    QAction* chosen = popup.exec(at);
    const auto found = std::find(actions.begin(), actions.end(), chosen);
    return found == actions.end() ? -1 : static_cast<int>(found - actions.begin());
}
