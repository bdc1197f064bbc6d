#pragma once
// The ShellUi of the shell tests: scripted answers, and a record of what
// the namespace asked and told.

#include "platform/shell/shell_ui.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vdx::test {

class RecordingUi : public shell::ShellUi {
public:
    // Scripted answers.
    bool answer = false;        // to the trash questions
    int cancelAtProgress = -1;  // the progress call (from 0) that cancels
    std::uint32_t dropKind = 0; // what AskDropKind chooses

    // What happened.
    int asked = 0, failed = 0;
    std::vector<std::string> opened;
    int progressCalls = 0;
    std::uint64_t lastDone = 0, lastTotal = 0;
    std::vector<std::vector<std::string>> skipped;
    std::vector<std::vector<std::pair<std::string, int>>> failures;
    std::vector<std::uint32_t> dropKindsOffered;

    // The clipboard.
    struct Clip {
        shell::IdList parent;
        std::vector<shell::IdList> items;
        std::vector<std::string> paths;
        bool cut = false;
    };
    std::optional<Clip> clipboard;

    bool ConfirmTrash(const std::string&, bool) override {
        ++asked;
        return answer;
    }
    bool ConfirmTrashItems(std::size_t) override {
        ++asked;
        return answer;
    }
    void TrashFailed(const std::string&, int) override { ++failed; }
    void CreateFolderFailed(const std::string&, int) override { ++failed; }
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    void ShowProperties(const shell::ItemProperties&) override {}
    bool TransferProgress(std::uint64_t done, std::uint64_t total, const std::string&) override {
        lastDone = done;
        lastTotal = total;
        return progressCalls++ != cancelAtProgress;
    }
    void TransferSkipped(const std::vector<std::string>& names) override {
        skipped.push_back(names);
    }
    void TransferFailed(const std::vector<std::pair<std::string, int>>& list) override {
        failures.push_back(list);
    }
    std::uint32_t AskDropKind(std::uint32_t allowed) override {
        dropKindsOffered.push_back(allowed);
        return dropKind;
    }
    void SetClipboardFiles(const shell::IdList& parent, std::span<const shell::IdList> items,
                           const std::vector<std::string>& paths, bool cut) override {
        clipboard = Clip{parent, {items.begin(), items.end()}, paths, cut};
    }
    std::optional<std::pair<bool, std::vector<std::string>>> ClipboardFiles() override {
        if (!clipboard)
            return std::nullopt;
        return std::pair{clipboard->cut, clipboard->paths};
    }
    void ClearClipboardFiles() override { clipboard.reset(); }
};

} // namespace vdx::test
