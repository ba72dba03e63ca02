#pragma once
// A host without a screen: records every message box and answers it with
// a preset button. Used by the tests and the command line.

#include <functional>
#include <string>
#include <vector>

#include "ui/dialog.h"

namespace veltrano::ui {

class RecordingHost : public Host {
public:
    struct Shown {
        std::string owner;  // class name of the owning dialog
        MessageBoxRequest request;
    };

    int ShowMessage(Dialog& owner, const MessageBoxRequest& request) override {
        messages.push_back({owner.className(), request});
        if (onMessage) onMessage(owner, request);
        return answer;
    }
    void StartTimer(Dialog&, int timerId, int periodMs) override { timers.push_back({timerId, periodMs}); }
    void EndModal(Dialog&, int result) override {
        ended = true;
        endResult = result;
    }

    int RunModal(Dialog& owner, Dialog& dialog) override {
        modalRuns.push_back(dialog.className());
        if (onModal) onModal(owner, dialog);
        return kIdOk;
    }

    const Shown* last() const { return messages.empty() ? nullptr : &messages.back(); }
    void clear() { messages.clear(); }

    std::vector<Shown> messages;
    std::vector<std::pair<int, int>> timers;
    std::function<void(Dialog&, const MessageBoxRequest&)> onMessage;
    std::function<void(Dialog&, Dialog&)> onModal;
    std::vector<std::string> modalRuns;
    int answer = kIdOk;
    bool ended = false;
    int endResult = 0;
};

}  // namespace veltrano::ui
