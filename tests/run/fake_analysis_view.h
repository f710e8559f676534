#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis_view.h"

// Records what a run does to its window, in order, and lets a test act at a chosen moment.
class FakeAnalysisView final : public AnalysisView {
public:
    struct Row {
        std::string title;
        std::string keyword;
        std::string count;
    };
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    std::string keywords;
    std::vector<Row> rows;
    std::vector<Message> messages;
    std::vector<ButtonWrite> buttonWrites;
    std::vector<std::string> progress; // "k/n:seed", then "end"

    // "row", "message", "button", "progress": the order in which the run reached the window.
    std::vector<std::string> events;
    std::function<void(const Row&)> onRowAppended;
    std::function<void(const Message&)> onMessage;

    std::string keywordText() override { return keywords; }

    void appendResultRow(const std::string& title, const std::string& keyword,
                         const std::string& count) override {
        rows.push_back({title, keyword, count});
        events.emplace_back("row");
        if (onRowAppended)
            onRowAppended(rows.back());
    }

    void setButtonEnabled(ActionButton button, bool enabled) override {
        buttonWrites.push_back({button, enabled});
        events.emplace_back("button");
    }

    void showProgress(int seedNumber, int seedCount, const std::string& seed) override {
        progress.push_back(std::to_string(seedNumber) + "/" + std::to_string(seedCount) + ":" +
                           seed);
        events.emplace_back("progress");
    }

    void endProgress() override {
        progress.emplace_back("end");
        events.emplace_back("progress");
    }

    void showMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back({text, icon});
        events.emplace_back("message");
        if (onMessage)
            onMessage(messages.back());
    }
};
