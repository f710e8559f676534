#pragma once

#include <vector>

#include <QPoint>
#include <QString>

class QWidget;

struct MenuEntry {
    QString text;
    bool disabled = false;
    bool checked = false;
};

// Pops up a menu made for this one call and destroyed when it closes; returns the index of the
// chosen entry, or -1 when none was chosen.
class PopupMenuPresenter {
public:
    virtual ~PopupMenuPresenter() = default;
    virtual int track(const std::vector<MenuEntry>& entries, QPoint at, QWidget* owner) = 0;
};

// Disabled entries are greyed, checked ones carry a check mark. A menu without entries is not
// shown at all.
class QtPopupMenuPresenter final : public PopupMenuPresenter {
public:
    int track(const std::vector<MenuEntry>& entries, QPoint at, QWidget* owner) override;
};
