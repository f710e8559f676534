#pragma once

#include <string>
#include <vector>

#include "popup_menu.h"
#include "url_opener.h"

class FakeUrlOpener final : public UrlOpener {
public:
    void open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

class FakePopupMenus final : public PopupMenuPresenter {
public:
    struct Call {
        std::vector<MenuEntry> entries;
        QPoint at;
        QWidget* owner;
    };
    int track(const std::vector<MenuEntry>& entries, QPoint at, QWidget* owner) override {
        calls.push_back({entries, at, owner});
        return -1;
    }
    std::vector<Call> calls;
};
